#include "ui/Form.h"

#include <algorithm>
#include <iterator>

#include "base/Error.h"
#include "base/MessageLoop.h"
#include "base/MessageWindow.h"
#include "base/Text.h"
#include "ui/Placement.h"

namespace ui {

namespace {

constexpr wchar_t kFormClass[] = L"QuillbarrowForm";

// What each kind of control is made as: its window class and styles, and how
// far the list of a drop-down box reaches below the closed box that the
// table's height gives.
struct KindTraits {
    Kind kind;
    const wchar_t* windowClass;
    DWORD style;
    DWORD exStyle;
    int dropHeight;
};

constexpr DWORD kTabGroup = WS_TABSTOP | WS_GROUP;
const KindTraits kKinds[] = {
    {Kind::GroupBox, L"BUTTON", BS_GROUPBOX | WS_GROUP, 0, 0},
    {Kind::RadioButton, L"BUTTON", BS_AUTORADIOBUTTON | WS_TABSTOP, 0, 0},
    {Kind::CheckBox, L"BUTTON", BS_AUTOCHECKBOX | kTabGroup, 0, 0},
    {Kind::Button, L"BUTTON", BS_PUSHBUTTON | kTabGroup, 0, 0},
    {Kind::DefaultButton, L"BUTTON", BS_DEFPUSHBUTTON | kTabGroup, 0, 0},
    {Kind::CancelButton, L"BUTTON", BS_PUSHBUTTON | kTabGroup, 0, 0},
    {Kind::DropDownList, L"COMBOBOX", CBS_DROPDOWNLIST | WS_VSCROLL | kTabGroup, 0, 200},
    {Kind::DropDown, L"COMBOBOX", CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL | kTabGroup, 0, 200},
    {Kind::Edit, L"EDIT", ES_AUTOHSCROLL | kTabGroup, WS_EX_CLIENTEDGE, 0},
    {Kind::Label, L"STATIC", SS_LEFT | SS_NOTIFY | WS_GROUP, 0, 0},
    {Kind::Picture, L"STATIC", SS_OWNERDRAW | SS_NOTIFY | WS_GROUP, 0, 0},
    {Kind::StatusBar, STATUSCLASSNAMEW, CCS_BOTTOM, 0, 0},
};

const KindTraits& TraitsOf(Kind kind) {
    return *std::find_if(std::begin(kKinds), std::end(kKinds),
                         [kind](const KindTraits& k) { return k.kind == kind; });
}

// How much of the caption must show for the user to grab it and drag the
// window back, in 96-DPI pixels; Windows keeps a like margin when a window is
// dragged off the screen.
constexpr int kUsableCaption = 100;

// The commands of shortcut keys, far above the controls' ids (from 100 up).
constexpr WORD kFirstShortcutId = 0x7000;

}  // namespace

void Form::RegisterFormClass() {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    base::WindowClassLook look;
    look.cursor = LoadCursorW(nullptr, IDC_ARROW);
    look.background = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    look.icon = LoadIconW(instance, MAKEINTRESOURCEW(1));
    if (!look.icon) look.icon = LoadIconW(nullptr, IDI_APPLICATION);
    base::RegisterWindowClass(kFormClass, &Form::WndProc, look);
}

Form::Form() = default;

Form::~Form() {
    if (hwnd_) {
        base::UnregisterDialogWindow(hwnd_.get());
        SetWindowLongPtrW(hwnd_.get(), GWLP_USERDATA, 0);
    }
}

void Form::Create(const FormSpec& def, std::initializer_list<ControlSpec> controls, HWND owner) {
    RegisterFormClass();
    DWORD style = WS_CAPTION | WS_SYSMENU;
    DWORD exStyle = WS_EX_CONTROLPARENT;
    if (def.style == FormStyle::Single) {
        style |= WS_OVERLAPPED | WS_MINIMIZEBOX;
    } else {
        style |= WS_POPUP;
        exStyle |= WS_EX_DLGMODALFRAME;
    }
    clientWidth_ = def.clientWidth;
    clientHeight_ = def.clientHeight;
    dpi_ = WindowDpi(nullptr);
    RECT r{0, 0, Scale(def.clientWidth), Scale(def.clientHeight)};
    AdjustWindowRectEx(&r, style, FALSE, exStyle);
    HWND hwnd = CreateWindowExW(exStyle, kFormClass, base::Widen(def.caption).c_str(), style, CW_USEDEFAULT,
                                CW_USEDEFAULT, r.right - r.left, r.bottom - r.top, owner, nullptr,
                                GetModuleHandleW(nullptr), this);
    if (!hwnd) throw Exception("Cannot create window");
    hwnd_.reset(hwnd);
    // The DPI of the monitor the window landed on may differ from the system's.
    int actual = WindowDpi(hwnd);
    if (actual != dpi_) {
        dpi_ = actual;
        RECT r2{0, 0, Scale(def.clientWidth), Scale(def.clientHeight)};
        AdjustWindowRectEx(&r2, style, FALSE, exStyle);
        SetWindowPos(hwnd, nullptr, 0, 0, r2.right - r2.left, r2.bottom - r2.top,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    font_ = CreateUiFont(12, dpi_);

    std::map<Control*, Bounds> placed;
    const ControlSpec* previous = nullptr;
    for (const ControlSpec& row : controls) {
        CreateControl(row, previous, placed);
        previous = &row;
    }
    base::RegisterDialogWindow(hwnd);
}

void Form::CreateControl(const ControlSpec& row, const ControlSpec* previous,
                         std::map<Control*, Bounds>& placed) {
    Bounds b = row.bounds;
    if (row.group) {
        const Bounds& g = placed.at(row.group);
        b.left += g.left;
        b.top += g.top;
    }
    placed[row.control] = b;
    const KindTraits& kind = TraitsOf(row.kind);
    Control* c = row.control;
    DWORD style = WS_CHILD | WS_VISIBLE | kind.style | c->ExtraStyle(row, previous);
    int height = b.height + kind.dropHeight;
    int id = nextId_++;
    HWND hwnd = CreateWindowExW(kind.exStyle, kind.windowClass, base::Widen(row.caption).c_str(), style,
                                Scale(b.left), Scale(b.top), Scale(b.width), Scale(height), hwnd_.get(),
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr),
                                nullptr);
    if (!hwnd) throw Exception("Cannot create control");
    c->Attach(*this, hwnd, id);
    controls_[id] = c;
    layout_[id] = {b.left, b.top, b.width, height};

    HFONT font = c->FontFor(*this, Scale(b.width));
    SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    if (b.width == 0) Place(*c, layout_[id], font);
    c->OnAdded(*this, row);
    if (row.group && (row.kind == Kind::RadioButton || !row.items.empty())) FitIntoGroup(row, font, placed);
}

const std::vector<RadioButton*>& Form::JoinRadioGroup(RadioButton* radio, const Control* box) {
    std::vector<RadioButton*>& group = radioGroups_[box];
    group.push_back(radio);
    return group;
}

void Form::Place(const Control& c, const Bounds& b, HFONT font) const {
    int width = Scale(b.width), height = Scale(b.height);
    if (b.width == 0) {
        // Sized to the caption, which the new font may draw larger or smaller.
        SIZE sz = TextExtent(font, base::Widen(WindowText(c.Handle())));
        width = sz.cx + 2;
        height = sz.cy + 2;
    }
    SetWindowPos(c.Handle(), nullptr, Scale(b.left), Scale(b.top), width, height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form::FitIntoGroup(const ControlSpec& row, HFONT font, std::map<Control*, Bounds>& placed) {
    // The 96-DPI tables were measured with the original Japanese font; a
    // substitute font may run wider. Let a radio caption or a list's widest
    // item take the free room up to its group box's edge rather than be cut.
    HWND hwnd = row.control->Handle();
    int needed = 0;
    if (row.kind == Kind::RadioButton) {
        needed = TextWidth(font, row.caption) + Scale(13 + 6);
    } else {
        for (const char* item : row.items) needed = std::max(needed, TextWidth(font, item));
        needed += GetSystemMetrics(SM_CXVSCROLL) + Scale(10);
    }
    int needed96 = MulDiv(needed, 96, dpi_);
    Bounds& b = placed[row.control];
    const Bounds& g = placed.at(row.group);
    int room = g.left + g.width - 4 - b.left;
    if (needed96 <= b.width || room <= b.width) return;
    b.width = std::min(needed96, room);
    layout_[row.control->Id()].width = b.width;
    SetWindowPos(hwnd, nullptr, 0, 0, Scale(b.width), Scale(layout_[row.control->Id()].height),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form::ApplyDpi(int dpi, const RECT* suggested) {
    if (dpi <= 0 || dpi == dpi_) return;
    dpi_ = dpi;
    font_ = CreateUiFont(12, dpi_);
    DWORD style = static_cast<DWORD>(GetWindowLongW(hwnd_.get(), GWL_STYLE));
    DWORD exStyle = static_cast<DWORD>(GetWindowLongW(hwnd_.get(), GWL_EXSTYLE));
    RECT r{0, 0, Scale(clientWidth_), Scale(clientHeight_)};
    AdjustWindowRectEx(&r, style, FALSE, exStyle);
    int left = suggested ? suggested->left : Left();
    int top = suggested ? suggested->top : Top();
    SetWindowPos(hwnd_.get(), nullptr, left, top, r.right - r.left, r.bottom - r.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    for (auto& [id, c] : controls_) {
        const Bounds& b = layout_[id];
        HFONT font = c->FontFor(*this, Scale(b.width));
        SendMessageW(c->Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        Place(*c, b, font);
        c->OnDpiChanged();
    }
    InvalidateRect(hwnd_.get(), nullptr, TRUE);
}

Control* Form::FindControl(int id) const {
    auto it = controls_.find(id);
    return it == controls_.end() ? nullptr : it->second;
}

Control* Form::ControlOf(HWND hwnd) const {
    // By the identifier the control was made with, rather than a window
    // property: reading a property is a round trip to the wineserver, and
    // the buttons and labels ask for their colours on every paint.
    Control* c = FindControl(GetDlgCtrlID(hwnd));
    return c && c->Handle() == hwnd ? c : nullptr;
}

std::string Form::Caption() const { return WindowText(hwnd_.get()); }

void Form::SetCaption(const std::string& caption) {
    SetWindowTextW(hwnd_.get(), base::Widen(caption).c_str());
}

int Form::Left() const { return NormalWindowRect(hwnd_.get()).left; }
int Form::Top() const { return NormalWindowRect(hwnd_.get()).top; }
int Form::Width() const {
    RECT r = NormalWindowRect(hwnd_.get());
    return r.right - r.left;
}
int Form::Height() const {
    RECT r = NormalWindowRect(hwnd_.get());
    return r.bottom - r.top;
}

void Form::MoveToStoredPosition(int left, int top) {
    MoveOntoWorkArea(hwnd_.get(), left, top, Scale(kUsableCaption));
}

void Form::RefreshCursor() const {
    // Asked as the system asks on a move: the window under the pointer,
    // which passes the question on to its parents. Moving the pointer
    // instead would reach every program on the desktop.
    POINT pt{};
    if (!GetCursorPos(&pt)) return;
    HWND under = WindowFromPoint(pt);
    if (under != hwnd_.get() && !IsChild(hwnd_.get(), under)) return;
    LRESULT hit = SendMessageW(under, WM_NCHITTEST, 0, MAKELPARAM(pt.x, pt.y));
    SendMessageW(under, WM_SETCURSOR, reinterpret_cast<WPARAM>(under), MAKELPARAM(hit, WM_MOUSEMOVE));
}

bool Form::Visible() const { return IsWindowVisible(hwnd_.get()) != FALSE; }

void Form::Show(int showCommand) {
    FormShow();
    shownOnce_ = true;
    // Each showing starts at the first control, as a freshly created dialog does.
    focus_ = nullptr;
    ShowWindow(hwnd_.get(), showCommand);
    if (GetActiveWindow() == hwnd_.get()) RestoreFocus();
    UpdateWindow(hwnd_.get());
}

int Form::ShowModal() {
    HWND owner = GetWindow(hwnd_.get(), GW_OWNER);
    modal_ = true;
    modalResult_ = mrNone;
    if (owner) EnableWindow(owner, FALSE);
    // Whatever way the showing ends, an exception from FormShow included, the
    // owner must not stay disabled: the user could reach nothing any more.
    struct GiveBackOwner {
        Form& self;
        HWND owner;
        ~GiveBackOwner() {
            // Enable the owner before hiding, so activation returns to it.
            if (owner) EnableWindow(owner, TRUE);
            ShowWindow(self.hwnd_.get(), SW_HIDE);
            if (owner) SetActiveWindow(owner);
            self.modal_ = false;
        }
    } giveBack{*this, owner};
    Show();
    SetForegroundWindow(hwnd_.get());
    MSG msg;
    while (modalResult_ == mrNone) {
        BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got <= 0) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            modalResult_ = mrCancel;
            break;
        }
        base::DispatchOne(msg);
    }
    return modalResult_;
}

void Form::RememberFocus() {
    HWND focus = GetFocus();
    if (focus && IsChild(hwnd_.get(), focus)) focus_ = focus;
}

HWND Form::FirstTabStop() const {
    // Controls are numbered in creation order, which is the tab order.
    for (const auto& [id, c] : controls_)
        if (c->AcceptsFocus()) return c->Handle();
    return nullptr;
}

void Form::RestoreFocus() {
    HWND target = focus_;
    if (target && (!IsChild(hwnd_.get(), target) || !IsWindowEnabled(target) || !IsWindowVisible(target)))
        target = nullptr;
    Control* control = target ? ControlOf(target) : nullptr;
    if (control && !control->AcceptsFocus()) target = nullptr;
    if (!target) target = FirstTabStop();
    if (target) SetFocus(target);
}

LRESULT CALLBACK Form::WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = base::WindowOwner<Form>(hwnd, msg, lp);
    // Messages before the window handle is stored go to the default procedure.
    if (!self || !self->hwnd_) return DefWindowProcW(hwnd, msg, wp, lp);
    LRESULT result = 0;
    bool handled = false;
    // No exception may cross into the system: show it and go on.
    base::Guarded([&] {
        result = self->Dispatch(msg, wp, lp);
        handled = true;
    });
    if (!handled) result = DefWindowProcW(hwnd, msg, wp, lp);
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        base::UnregisterDialogWindow(hwnd);
        (void)self->hwnd_.release();
    }
    return result;
}

bool Form::HandleMessage(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

void Form::AddShortcut(BYTE modifiers, WORD key, std::function<void()> handler) {
    shortcuts_.push_back(std::move(handler));
    shortcutKeys_.push_back({static_cast<BYTE>(FVIRTKEY | modifiers), key,
                             static_cast<WORD>(kFirstShortcutId + shortcuts_.size() - 1)});
    // A table cannot grow: a new one takes the old one's place.
    accelerators_.reset(
        CreateAcceleratorTableW(shortcutKeys_.data(), static_cast<int>(shortcutKeys_.size())));
    if (!accelerators_) throw Exception("Cannot create accelerators");
    base::SetAccelerators(hwnd_.get(), accelerators_.get());
}

LRESULT Form::Dispatch(UINT msg, WPARAM wp, LPARAM lp) {
    HWND hwnd = hwnd_.get();
    LRESULT result = 0;
    if (HandleMessage(msg, wp, lp, result)) return result;
    switch (msg) {
        case WM_COMMAND: {
            int id = LOWORD(wp);
            int code = HIWORD(wp);
            // Code 1 without a control: a key of the accelerator table.
            if (code == 1 && lp == 0 && id >= kFirstShortcutId &&
                static_cast<size_t>(id - kFirstShortcutId) < shortcuts_.size()) {
                // Copied: the handler may add shortcuts.
                auto handler = shortcuts_[static_cast<size_t>(id - kFirstShortcutId)];
                if (handler) handler();
                return 0;
            }
            if (lp == 0 || id == IDOK || id == IDCANCEL) {
                // Enter and Esc arrive from the dialog navigation as IDOK/IDCANCEL.
                if (id == IDOK && defaultButton_) {
                    defaultButton_->Click();
                    return 0;
                }
                if (id == IDCANCEL && cancelButton_) {
                    cancelButton_->Click();
                    return 0;
                }
                if (id == IDCANCEL && modal_) {
                    modalResult_ = mrCancel;
                    return 0;
                }
            }
            if (Control* c = FindControl(id)) c->OnCommand(code);
            return 0;
        }
        case WM_DRAWITEM: {
            auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(lp);
            if (Control* c = FindControl(static_cast<int>(dis->CtlID))) c->OnDrawItem(*dis);
            return TRUE;
        }
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN: {
            // Buttons, radio buttons and labels stand on the form's face colour.
            HDC dc = reinterpret_cast<HDC>(wp);
            Control* c = ControlOf(reinterpret_cast<HWND>(lp));
            if (c && c->TextColor() != CLR_INVALID) SetTextColor(dc, c->TextColor());
            SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
            return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
        }
        case WM_PRINTCLIENT:
        case WM_ERASEBKGND: {
            // Themed controls ask the parent to paint what lies behind them.
            RECT r;
            GetClientRect(hwnd, &r);
            FillRect(reinterpret_cast<HDC>(wp), &r, GetSysColorBrush(COLOR_BTNFACE));
            return 1;
        }
        case WM_CLOSE:
            if (modal_) {
                modalResult_ = mrCancel;
                return 0;
            }
            if (FormCloseQuery()) DestroyWindow(hwnd);
            return 0;
        case WM_DESTROY:
            if (isMainForm_) PostQuitMessage(0);
            return 0;
        case WM_ACTIVATE:
            // The window itself would take the focus (DefWindowProc): Space
            // and typing would then reach no control until a click or Tab.
            if (LOWORD(wp) == WA_INACTIVE) {
                RememberFocus();
                return 0;
            }
            if (HIWORD(wp)) break;  // minimised: the window keeps the keyboard itself
            RestoreFocus();
            return 0;
        case WM_DPICHANGED:
            // Moved to a monitor of another scale: lay the form out again there.
            ApplyDpi(HIWORD(wp), reinterpret_cast<const RECT*>(lp));
            return 0;
        case WM_SIZE:
            // Minimising need not deactivate the window (it stays active when
            // no other window takes over), so note the focus here as well.
            if (wp == SIZE_MINIMIZED) RememberFocus();
            // Keep the status bar along the bottom edge.
            for (auto& [id, c] : controls_) c->OnFormSized();
            return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace ui
