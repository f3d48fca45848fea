#include "ui/Form.h"

#include <algorithm>

#include "base/Error.h"
#include "base/MessageLoop.h"
#include "base/MessageWindow.h"
#include "base/Text.h"

namespace ui {

namespace {

constexpr wchar_t kFormClass[] = L"QuillbarrowForm";

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

namespace {
using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
}  // namespace

int WindowDpi(HWND hwnd) {
    static auto fn = reinterpret_cast<GetDpiForWindowFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (fn && hwnd) {
        UINT dpi = fn(hwnd);
        if (dpi) return static_cast<int>(dpi);
    }
    HDC dc = GetDC(nullptr);
    int dpi = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(nullptr, dc);
    return dpi > 0 ? dpi : 96;
}

base::UniqueFont CreateUiFont(int pixelHeight, int dpi) {
    LOGFONTW lf{};
    lf.lfHeight = -MulDiv(pixelHeight, dpi, 96);
    lf.lfCharSet = SHIFTJIS_CHARSET;
    lf.lfQuality = DEFAULT_QUALITY;
    wcscpy_s(lf.lfFaceName, L"ＭＳ Ｐゴシック");
    base::UniqueFont font(CreateFontIndirectW(&lf));
    // The system maps a missing face to whatever it likes; keep the font only
    // when what it picked really carries Japanese glyphs.
    if (font) {
        HDC dc = GetDC(nullptr);
        HGDIOBJ old = SelectObject(dc, font.get());
        int charset = GetTextCharset(dc);
        SelectObject(dc, old);
        ReleaseDC(nullptr, dc);
        if (charset == SHIFTJIS_CHARSET) return font;
    }
    NONCLIENTMETRICSW ncm{};
    ncm.cbSize = sizeof ncm;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0);
    ncm.lfMessageFont.lfHeight = lf.lfHeight;
    return base::UniqueFont(CreateFontIndirectW(&ncm.lfMessageFont));
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
    for (const ControlSpec& c : controls) CreateControl(c, placed);
    base::RegisterDialogWindow(hwnd);
}

void Form::CreateControl(const ControlSpec& row, std::map<Control*, Bounds>& placed) {
    Bounds b = row.bounds;
    if (row.group) {
        const Bounds& g = placed.at(row.group);
        b.left += g.left;
        b.top += g.top;
    }
    placed[row.control] = b;

    const wchar_t* cls = L"BUTTON";
    DWORD style = WS_CHILD | WS_VISIBLE;
    DWORD exStyle = 0;
    int height = b.height;
    auto* radio = dynamic_cast<RadioButton*>(row.control);
    switch (row.kind) {
        case Kind::GroupBox: style |= BS_GROUPBOX | WS_GROUP; break;
        case Kind::RadioButton: style |= BS_AUTORADIOBUTTON | WS_TABSTOP; break;
        case Kind::Button: style |= BS_PUSHBUTTON | WS_TABSTOP | WS_GROUP; break;
        case Kind::DefaultButton: style |= BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP; break;
        case Kind::CancelButton: style |= BS_PUSHBUTTON | WS_TABSTOP | WS_GROUP; break;
        case Kind::DropDownList:
            cls = L"COMBOBOX";
            style |= CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP | WS_GROUP;
            height += 200;  // the height given is the closed box; this is the list
            break;
        case Kind::DropDown:
            cls = L"COMBOBOX";
            style |= CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL | WS_TABSTOP | WS_GROUP;
            height += 200;
            break;
        case Kind::Edit:
            cls = L"EDIT";
            style |= ES_AUTOHSCROLL | WS_TABSTOP | WS_GROUP;
            exStyle |= WS_EX_CLIENTEDGE;
            break;
        case Kind::Label:
            cls = L"STATIC";
            // A one-line label must not wrap its last word onto a line that
            // its height hides.
            style |= (b.height > 0 && b.height < 24 ? SS_LEFTNOWORDWRAP : SS_LEFT) | SS_NOTIFY | WS_GROUP;
            break;
        case Kind::Picture:
            cls = L"STATIC";
            style |= SS_OWNERDRAW | SS_NOTIFY | WS_GROUP;
            break;
        case Kind::StatusBar:
            cls = STATUSCLASSNAMEW;
            style |= CCS_BOTTOM;
            break;
    }
    // A radio button starts a new group unless the control before it was a
    // radio button of the same group box.
    if (radio) {
        radio->group_ = row.group;
        std::vector<RadioButton*>& mates = radioGroups_[row.group];
        for (RadioButton* mate : mates) {
            mate->mates_.push_back(radio);
            radio->mates_.push_back(mate);
        }
        mates.push_back(radio);
        bool continues = false;
        for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
            auto* prev = dynamic_cast<RadioButton*>(it->second);
            continues = prev && prev->group_ == row.group;
            break;
        }
        if (!continues) style |= WS_GROUP;
    }
    style |= row.control->ExtraStyle();
    if (row.kind == Kind::Label && b.width == 0) {
        // A label without a width sizes itself to its caption.
        style &= ~static_cast<DWORD>(SS_LEFT);
    }

    int id = nextId_++;
    HWND hwnd = CreateWindowExW(exStyle, cls, base::Widen(row.caption).c_str(), style, Scale(b.left),
                                Scale(b.top), Scale(b.width), Scale(height), hwnd_.get(),
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr),
                                nullptr);
    if (!hwnd) throw Exception("Cannot create control");
    Control* c = row.control;
    c->hwnd_ = hwnd;
    c->id_ = id;
    c->form_ = this;
    controls_[id] = c;
    layout_[id] = {b.left, b.top, b.width, height};

    HFONT font = c->FontFor(*this, Scale(b.width));
    SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    if (b.width == 0) Place(*c, layout_[id], font);
    if (auto* combo = dynamic_cast<ComboBox*>(c)) {
        combo->editable_ = row.kind == Kind::DropDown;
        for (const char* item : row.items) combo->AddItem(item);
    }
    if (row.group && (radio || !row.items.empty())) FitIntoGroup(row, font, placed);
    if (row.kind == Kind::DefaultButton) defaultButton_ = dynamic_cast<Button*>(c);
    if (row.kind == Kind::CancelButton) cancelButton_ = dynamic_cast<Button*>(c);
    c->OnCreated();
}

namespace {
SIZE TextExtent(HFONT font, const std::wstring& text) {
    // One memory DC for every measurement: a window's DC is fetched and given
    // back through the wineserver each time, and a form measures a dozen
    // captions while it is built. Sizes in pixels do not depend on the DC.
    static const base::UniqueDc dc(CreateCompatibleDC(nullptr));
    HGDIOBJ old = SelectObject(dc.get(), font);
    SIZE sz{};
    GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &sz);
    SelectObject(dc.get(), old);
    return sz;
}
}  // namespace

int TextWidth(HFONT font, const std::string& text) {
    std::wstring wide = base::Widen(text);
    std::erase(wide, L'&');
    return TextExtent(font, wide).cx;
}

void Form::Place(const Control& c, const Bounds& b, HFONT font) const {
    int width = Scale(b.width), height = Scale(b.height);
    if (b.width == 0) {
        // Sized to the caption, which the new font may draw larger or smaller.
        int n = GetWindowTextLengthW(c.Handle());
        std::wstring text(static_cast<size_t>(n) + 1, L'\0');
        text.resize(static_cast<size_t>(GetWindowTextW(c.Handle(), text.data(), n + 1)));
        SIZE sz = TextExtent(font, text);
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

std::string Form::Caption() const {
    int n = GetWindowTextLengthW(hwnd_.get());
    std::wstring buf(static_cast<size_t>(n) + 1, L'\0');
    n = GetWindowTextW(hwnd_.get(), buf.data(), n + 1);
    buf.resize(static_cast<size_t>(n));
    return base::Narrow(buf);
}

void Form::SetCaption(const std::string& caption) {
    SetWindowTextW(hwnd_.get(), base::Widen(caption).c_str());
}

namespace {
RECT WindowRectOf(HWND hwnd) {
    RECT r{};
    if (IsIconic(hwnd) || !IsWindowVisible(hwnd)) {
        // A minimised or hidden window reports its normal place through the
        // placement, in workspace coordinates.
        WINDOWPLACEMENT wp{};
        wp.length = sizeof wp;
        GetWindowPlacement(hwnd, &wp);
        r = wp.rcNormalPosition;
        if (!(GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_TOOLWINDOW)) {
            MONITORINFO mi{};
            mi.cbSize = sizeof mi;
            if (GetMonitorInfoW(MonitorFromRect(&r, MONITOR_DEFAULTTONEAREST), &mi))
                OffsetRect(&r, mi.rcWork.left - mi.rcMonitor.left, mi.rcWork.top - mi.rcMonitor.top);
        }
        return r;
    }
    GetWindowRect(hwnd, &r);
    return r;
}
}  // namespace

int Form::Left() const { return WindowRectOf(hwnd_.get()).left; }
int Form::Top() const { return WindowRectOf(hwnd_.get()).top; }
int Form::Width() const {
    RECT r = WindowRectOf(hwnd_.get());
    return r.right - r.left;
}
int Form::Height() const {
    RECT r = WindowRectOf(hwnd_.get());
    return r.bottom - r.top;
}

namespace {
// How much of the caption must show for the user to grab it and drag the
// window back, in 96-DPI pixels; Windows keeps a like margin when a window is
// dragged off the screen.
constexpr int kUsableCaption = 100;

struct CaptionSearch {
    RECT strip;
    LONG minWidth;
    bool found = false;
};

BOOL CALLBACK CaptionOnMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
    auto& search = *reinterpret_cast<CaptionSearch*>(data);
    MONITORINFO mi{};
    mi.cbSize = sizeof mi;
    if (!GetMonitorInfoW(monitor, &mi)) return TRUE;
    const RECT& work = mi.rcWork;
    const RECT& s = search.strip;
    LONG visible = std::min(s.right, work.right) - std::max(s.left, work.left);
    if (s.top >= work.top && s.bottom <= work.bottom && visible >= search.minWidth) search.found = true;
    return !search.found;
}
}  // namespace

void Form::MoveToStoredPosition(int left, int top) {
    HWND hwnd = hwnd_.get();
    RECT window{};
    GetWindowRect(hwnd, &window);
    POINT client{0, 0};
    ClientToScreen(hwnd, &client);
    int width = window.right - window.left;
    int height = window.bottom - window.top;
    // The strip from the window's top edge down to its client area: the caption.
    CaptionSearch search{{left, top, left + width, top + (client.y - window.top)},
                         std::min<LONG>(width, Scale(kUsableCaption))};
    EnumDisplayMonitors(nullptr, nullptr, CaptionOnMonitor, reinterpret_cast<LPARAM>(&search));
    if (!search.found) {
        RECT r{left, top, left + width, top + height};
        MONITORINFO mi{};
        mi.cbSize = sizeof mi;
        GetMonitorInfoW(MonitorFromRect(&r, MONITOR_DEFAULTTONEAREST), &mi);
        const RECT& w = mi.rcWork;
        left = std::max<int>(w.left, std::min<int>(left, w.right - width));
        top = std::max<int>(w.top, std::min<int>(top, w.bottom - height));
    }
    SetWindowPos(hwnd, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
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
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    }
    auto* self = reinterpret_cast<Form*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
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

LRESULT Form::Dispatch(UINT msg, WPARAM wp, LPARAM lp) {
    HWND hwnd = hwnd_.get();
    LRESULT result = 0;
    if (HandleMessage(msg, wp, lp, result)) return result;
    switch (msg) {
        case WM_COMMAND: {
            int id = LOWORD(wp);
            int code = HIWORD(wp);
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
