#include "ui/Controls.h"

#include <windowsx.h>

#include <algorithm>
#include <cwchar>
#include <utility>

#include "base/Error.h"
#include "base/Text.h"
#include "ui/Fonts.h"
#include "ui/Form.h"

namespace ui {

std::string Control::Text() const { return WindowText(hwnd_); }

void Control::SetText(const std::string& text) { SetWindowTextW(hwnd_, base::Widen(text).c_str()); }

bool Control::Enabled() const { return IsWindowEnabled(hwnd_) != FALSE; }

void Control::SetEnabled(bool enabled) { EnableWindow(hwnd_, enabled); }

bool Control::AcceptsFocus() const {
    return (GetWindowLongW(hwnd_, GWL_STYLE) & WS_TABSTOP) && IsWindowEnabled(hwnd_) &&
           IsWindowVisible(hwnd_);
}

HFONT Control::FontFor(const Form& form, int) { return form.Font(); }

void Control::Attach(Form& form, HWND hwnd, int id) {
    form_ = &form;
    hwnd_ = hwnd;
    id_ = id;
}

// --- Button

void Button::Click() {
    if (Enabled() && onClick) onClick();
}

void Button::OnCommand(int code) {
    if (code == BN_CLICKED && onClick) onClick();
}

void Button::OnAdded(Form& form, const ControlSpec& row) {
    SetWindowSubclass(hwnd_, SubclassProc, 1, reinterpret_cast<DWORD_PTR>(this));
    if (row.kind == Kind::DefaultButton) form.SetDefaultButton(this);
    if (row.kind == Kind::CancelButton) form.SetCancelButton(this);
}

LRESULT CALLBACK Button::SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR data) {
    auto* self = reinterpret_cast<Button*>(data);
    switch (msg) {
        case BM_CLICK: {
            // The system makes BM_CLICK (the "&" accelerator, Enter on a
            // dialog) out of a button-down and button-up pair; that is the
            // keyboard, not the mouse, and must not reach onMouseDown.
            self->inClickMessage_ = true;
            LRESULT result = DefSubclassProc(hwnd, msg, wp, lp);
            self->inClickMessage_ = false;
            return result;
        }
        // The button class has CS_DBLCLKS: the second press of a quick double
        // click arrives as WM_xBUTTONDBLCLK instead of a button-down, and is a
        // press all the same.
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDOWN:
        case WM_RBUTTONDBLCLK:
        case WM_MBUTTONDOWN:
        case WM_MBUTTONDBLCLK:
            if (self->onMouseDown && !self->inClickMessage_) {
                MouseButton b = msg == WM_LBUTTONDOWN || msg == WM_LBUTTONDBLCLK   ? MouseButton::Left
                                : msg == WM_RBUTTONDOWN || msg == WM_RBUTTONDBLCLK ? MouseButton::Right
                                                                                   : MouseButton::Middle;
                base::Guarded([&] { self->onMouseDown(b, wp, GET_X_LPARAM(lp), GET_Y_LPARAM(lp)); });
            }
            break;
        case WM_NCDESTROY: RemoveWindowSubclass(hwnd, SubclassProc, 1); break;
    }
    return DefSubclassProc(hwnd, msg, wp, lp);
}

// --- RadioButton

bool RadioButton::Checked() const { return SendMessageW(hwnd_, BM_GETCHECK, 0, 0) == BST_CHECKED; }

void RadioButton::SetChecked(bool checked) {
    if (checked && group_) {
        // Uncheck the other buttons of the same group, as a click would; that
        // also takes them out of the tab order. Only those still on or still a
        // tab stop: the message rewrites the style even when nothing changes,
        // a round trip to the wineserver under Wine.
        for (RadioButton* mate : *group_) {
            if (mate != this && (SendMessageW(mate->hwnd_, BM_GETCHECK, 0, 0) != BST_UNCHECKED ||
                                 (GetWindowLongW(mate->hwnd_, GWL_STYLE) & WS_TABSTOP)))
                SendMessageW(mate->hwnd_, BM_SETCHECK, BST_UNCHECKED, 0);
        }
    }
    SendMessageW(hwnd_, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    if (checked && onClick) onClick();
}

DWORD RadioButton::ExtraStyle(const ControlSpec& row, const ControlSpec* previous) const {
    bool continues = previous && previous->kind == Kind::RadioButton && previous->group == row.group;
    return continues ? 0 : WS_GROUP;
}

void RadioButton::OnAdded(Form& form, const ControlSpec& row) {
    group_ = &form.JoinRadioGroup(this, row.group);
}

void RadioButton::OnCommand(int code) {
    if (code == BN_CLICKED && onClick) onClick();
}

// --- CheckBox

bool CheckBox::Checked() const { return SendMessageW(hwnd_, BM_GETCHECK, 0, 0) == BST_CHECKED; }

void CheckBox::SetChecked(bool checked) {
    SendMessageW(hwnd_, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void CheckBox::OnCommand(int code) {
    if (code == BN_CLICKED && onClick) onClick();
}

// --- ComboBox

void ComboBox::AddItem(const std::string& text) {
    SendMessageW(hwnd_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(base::Widen(text).c_str()));
}

void ComboBox::Clear() {
    SendMessageW(hwnd_, CB_RESETCONTENT, 0, 0);
    SetWindowTextW(hwnd_, L"");
}

int ComboBox::Count() const { return static_cast<int>(SendMessageW(hwnd_, CB_GETCOUNT, 0, 0)); }

std::string ComboBox::Item(int index) const {
    LRESULT n = SendMessageW(hwnd_, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (n == CB_ERR) return {};
    std::wstring buf(static_cast<size_t>(n) + 1, L'\0');
    n = SendMessageW(hwnd_, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buf.data()));
    if (n == CB_ERR) return {};
    buf.resize(static_cast<size_t>(n));
    return base::Narrow(buf);
}

int ComboBox::ItemIndex() const { return static_cast<int>(SendMessageW(hwnd_, CB_GETCURSEL, 0, 0)); }

void ComboBox::SetItemIndex(int index) { SendMessageW(hwnd_, CB_SETCURSEL, static_cast<WPARAM>(index), 0); }

void ComboBox::OnCommand(int code) {
    if (editable_) return OnEditableCommand(code);
    if (onPick) return OnPickListCommand(code);
    if (code == CBN_SELCHANGE) {
        if (onClick) onClick();
        if (onChange) onChange();
    } else if (code == CBN_KILLFOCUS) {
        if (onLeave) onLeave();
    }
}

bool ComboBox::Dropped() const { return SendMessageW(hwnd_, CB_GETDROPPEDSTATE, 0, 0) != FALSE; }

void ComboBox::OnEditableCommand(int code) {
    // The edit part takes an item's text only after each of these
    // notifications, so the text is set here: the handlers read the new one.
    const int index = code == CBN_SELENDOK || code == CBN_SELCHANGE ? ItemIndex() : -1;
    const std::string item = index >= 0 ? Item(index) : std::string();
    switch (code) {
        case CBN_EDITCHANGE:
            if (onChange) onChange();
            break;
        case CBN_DROPDOWN:
            dropped_ = true;
            textBeforeDrop_ = Text();
            break;
        case CBN_SELENDOK:
            // Also sent for an arrow key in the closed box, ahead of its
            // CBN_SELCHANGE; only with the list down is it a pick.
            if (!Dropped() || index < 0) break;
            dropped_ = false;
            SetText(item);
            if (onPick) onPick();
            break;
        case CBN_SELENDCANCEL:
            if (dropped_ && Text() != textBeforeDrop_) SetText(textBeforeDrop_);
            dropped_ = false;
            break;
        case CBN_CLOSEUP: dropped_ = false; break;
        case CBN_SELCHANGE:
            // Moving through the dropped-down list is no edit. A click on an
            // item ends with this after the list has closed, carrying the
            // text just picked: no edit either.
            if (Dropped() || index < 0 || item == Text()) break;
            SetText(item);
            if (onChange) onChange();
            break;
        case CBN_KILLFOCUS:
            if (onLeave) onLeave();
            break;
    }
}

void ComboBox::OnPickListCommand(int code) {
    const int index = ItemIndex();
    switch (code) {
        case CBN_DROPDOWN:
            dropped_ = true;
            indexBeforeDrop_ = index;
            pickedIndex_ = -1;
            break;
        case CBN_SELENDOK:
            // Also sent for a step in the closed box, ahead of its CBN_SELCHANGE.
            if (!Dropped() || index < 0) break;
            dropped_ = false;
            pickedIndex_ = index;
            onPick();
            break;
        case CBN_SELENDCANCEL:
            // Wine leaves the item that the arrow keys reached selected (also
            // when F4 closes the list), though nothing was picked.
            if (dropped_ && index != indexBeforeDrop_) SetItemIndex(indexBeforeDrop_);
            dropped_ = false;
            break;
        case CBN_CLOSEUP: dropped_ = false; break;
        case CBN_SELCHANGE:
            // Moving through the dropped-down list is no step; a click on an
            // item ends with this after the list has closed, on that item.
            if (Dropped()) break;
            if (std::exchange(pickedIndex_, -1) == index) break;
            if (onChange) onChange();
            break;
        case CBN_KILLFOCUS:
            if (onLeave) onLeave();
            break;
    }
}

LRESULT CALLBACK ComboBox::EditSubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                            DWORD_PTR data) {
    auto* self = reinterpret_cast<ComboBox*>(data);
    switch (msg) {
        case WM_GETDLGCODE: {
            // Without this the dialog navigation turns Enter into IDOK for the
            // form (its default button), and the box never sees it. With the
            // list down, Enter is the list's pick.
            const auto* asked = reinterpret_cast<const MSG*>(lp);
            if (self->onEnter && asked && asked->message == WM_KEYDOWN && asked->wParam == VK_RETURN &&
                !self->Dropped())
                return DefSubclassProc(hwnd, msg, wp, lp) | DLGC_WANTMESSAGE;
            break;
        }
        case WM_KEYDOWN:
            if (self->onEnter && wp == VK_RETURN && !self->Dropped()) {
                base::Guarded([&] { self->onEnter(); });
                return 0;
            }
            break;
        case WM_NCDESTROY: RemoveWindowSubclass(hwnd, EditSubclassProc, 2); break;
    }
    return DefSubclassProc(hwnd, msg, wp, lp);
}

DWORD ComboBox::ExtraStyle(const ControlSpec&, const ControlSpec*) const {
    return itemNote ? CBS_OWNERDRAWFIXED | CBS_HASSTRINGS : 0;
}

namespace {

// The field and item heights of plain boxes, by font: a box that draws its
// items itself takes the heights of a plain one, and asks here before it
// makes one of its own to measure. Every kind of plain box reports the same
// two heights for a font.
struct PlainHeights {
    LOGFONTW font;
    LRESULT field, item;
};

std::vector<PlainHeights>& KnownHeights() {
    static std::vector<PlainHeights> known;
    return known;
}

LOGFONTW FontOf(HWND hwnd) {
    LOGFONTW lf{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0)), sizeof lf, &lf);
    return lf;
}

bool SameFont(const LOGFONTW& a, const LOGFONTW& b) {
    return a.lfHeight == b.lfHeight && a.lfWidth == b.lfWidth && a.lfWeight == b.lfWeight &&
           a.lfItalic == b.lfItalic && a.lfCharSet == b.lfCharSet && a.lfQuality == b.lfQuality &&
           wcscmp(a.lfFaceName, b.lfFaceName) == 0;
}

PlainHeights* KnownFor(const LOGFONTW& font) {
    for (PlainHeights& h : KnownHeights())
        if (SameFont(h.font, font)) return &h;
    return nullptr;
}

void Remember(HWND plain) {
    PlainHeights h{FontOf(plain), SendMessageW(plain, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0),
                   SendMessageW(plain, CB_GETITEMHEIGHT, 0, 0)};
    if (PlainHeights* known = KnownFor(h.font))
        *known = h;
    else
        KnownHeights().push_back(h);
}

}  // namespace

void ComboBox::OnAdded(Form&, const ControlSpec& row) {
    editable_ = row.kind == Kind::DropDown;
    if (editable_) {
        COMBOBOXINFO info{};
        info.cbSize = sizeof info;
        if (GetComboBoxInfo(hwnd_, &info) && info.hwndItem)
            SetWindowSubclass(info.hwndItem, EditSubclassProc, 2, reinterpret_cast<DWORD_PTR>(this));
    }
    for (const char* item : row.items) AddItem(item);
    if (itemNote)
        FitItemHeights();
    else
        Remember(hwnd_);
}

void ComboBox::OnDpiChanged() {
    // A plain box takes its heights from each new font; one that draws its
    // items keeps those it was first given.
    if (itemNote)
        FitItemHeights();
    else
        Remember(hwnd_);
}

void ComboBox::FitItemHeights() {
    // The heights a plain box takes with the same font, so that drawing the
    // items itself moves nothing on the form. Without a plain box of that
    // font on record, one of the simple kind is made to ask: it has no pop-up
    // list, the top-level window that is most of what a drop-down box costs
    // to make (about 10 ms under Wine).
    LOGFONTW font = FontOf(hwnd_);
    if (!KnownFor(font)) {
        DWORD style = static_cast<DWORD>(GetWindowLongW(hwnd_, GWL_STYLE));
        constexpr DWORD kKind = CBS_SIMPLE | CBS_DROPDOWN | CBS_DROPDOWNLIST;
        style &= ~static_cast<DWORD>(CBS_OWNERDRAWFIXED | CBS_OWNERDRAWVARIABLE | CBS_HASSTRINGS |
                                     WS_VISIBLE | kKind);
        style |= CBS_SIMPLE;
        HWND plain = CreateWindowExW(WS_EX_NOPARENTNOTIFY, L"COMBOBOX", L"", style, 0, 0, 100, 100,
                                     GetParent(hwnd_), nullptr, GetModuleHandleW(nullptr), nullptr);
        if (!plain) return;
        SendMessageW(plain, WM_SETFONT, SendMessageW(hwnd_, WM_GETFONT, 0, 0), FALSE);
        Remember(plain);
        DestroyWindow(plain);
    }
    const PlainHeights* known = KnownFor(font);
    if (!known) return;
    LRESULT field = known->field, item = known->item;
    if (item > 0) SendMessageW(hwnd_, CB_SETITEMHEIGHT, 0, item);
    if (field <= 0) return;
    SendMessageW(hwnd_, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), field);
    // Wine adds padding of its own to the field height it is given (and
    // reports the sum): take off what came back extra.
    LRESULT extra = SendMessageW(hwnd_, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0) - field;
    if (extra > 0 && extra < field)
        SendMessageW(hwnd_, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), field - extra);
}

void ComboBox::OnDrawItem(const DRAWITEMSTRUCT& dis) {
    HDC dc = dis.hDC;
    const bool selected = (dis.itemState & ODS_SELECTED) != 0;
    FillRect(dc, &dis.rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    if (dis.itemID != static_cast<UINT>(-1)) {
        const int index = static_cast<int>(dis.itemID);
        HGDIOBJ oldFont = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(hwnd_, WM_GETFONT, 0, 0)));
        int oldMode = SetBkMode(dc, TRANSPARENT);
        const COLORREF textColor = GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT);
        const int margin = form_ ? form_->Scale(2) : 2;
        RECT r = dis.rcItem;
        r.left += margin;
        r.right -= margin;
        ItemNote note = itemNote && !(dis.itemState & ODS_COMBOBOXEDIT) ? itemNote(index) : ItemNote{};
        if (!note.text.empty()) {
            std::wstring text = base::Widen(note.text);
            SIZE size{};
            GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
            // Grey on the selection's colour would be hard to read.
            SetTextColor(dc, note.dim && !selected ? GetSysColor(COLOR_GRAYTEXT) : textColor);
            DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r,
                      DT_RIGHT | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
            r.right -= size.cx + 3 * margin;
        }
        std::wstring text = base::Widen(Item(index));
        SetTextColor(dc, textColor);
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r,
                  DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
        SetBkMode(dc, oldMode);
        SelectObject(dc, oldFont);
    }
    if (dis.itemState & ODS_FOCUS) DrawFocusRect(dc, &dis.rcItem);
}

void ComboBox::RedrawItem(int index) {
    if (!SendMessageW(hwnd_, CB_GETDROPPEDSTATE, 0, 0)) return;
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    if (!GetComboBoxInfo(hwnd_, &info) || !info.hwndList) return;
    RECT r;
    if (index < 0) {
        InvalidateRect(info.hwndList, nullptr, FALSE);
    } else if (SendMessageW(info.hwndList, LB_GETITEMRECT, static_cast<WPARAM>(index),
                            reinterpret_cast<LPARAM>(&r)) != LB_ERR) {
        InvalidateRect(info.hwndList, &r, FALSE);
    }
}

void ComboBox::SetItems(const std::vector<std::string>& items) {
    SendMessageW(hwnd_, WM_SETREDRAW, FALSE, 0);
    SendMessageW(hwnd_, CB_RESETCONTENT, 0, 0);
    // Thousands of items: room for all of them at once.
    SendMessageW(hwnd_, CB_INITSTORAGE, items.size(), items.size() * 24);
    for (const std::string& item : items) AddItem(item);
    SendMessageW(hwnd_, WM_SETREDRAW, TRUE, 0);
}

std::vector<std::string> ComboBox::Items() const {
    std::vector<std::string> items;
    items.reserve(static_cast<size_t>(std::max(0, Count())));
    for (int i = 0; i < Count(); ++i) items.push_back(Item(i));
    return items;
}

void ComboBox::SetEditSelection(int start, int end) {
    SendMessageW(hwnd_, CB_SETEDITSEL, 0, MAKELPARAM(start, end));
}

// --- Label and Picture

DWORD Label::ExtraStyle(const ControlSpec& row, const ControlSpec*) const {
    return row.bounds.height > 0 && row.bounds.height < 24 ? SS_LEFTNOWORDWRAP : 0;
}

void Label::OnCommand(int code) {
    if (code == STN_CLICKED && onClick) onClick();
}

HFONT Label::FontFor(const Form& form, int width) {
    if (fontHeight <= 0 && !shrinkToFit) return form.Font();
    int height = fontHeight > 0 ? fontHeight : 12;
    font_ = CreateUiFont(height, form.Dpi());
    // The substitute fonts of some systems run wider than the one the layout
    // was measured with.
    if (shrinkToFit && width > 0) {
        std::string text = Text();
        while (height > 9 && TextWidth(font_.get(), text) > width) font_ = CreateUiFont(--height, form.Dpi());
    }
    return font_.get();
}

void Picture::OnCommand(int code) {
    if (code == STN_CLICKED && onClick) onClick();
}

void Picture::OnDrawItem(const DRAWITEMSTRUCT& dis) {
    FillRect(dis.hDC, &dis.rcItem, GetSysColorBrush(COLOR_BTNFACE));
    if (onPaint) onPaint(dis.hDC, dis.rcItem);
}

// --- StatusBar

void StatusBar::AddPanel(int width) {
    widths_.push_back(width);
    texts_.emplace_back();
    ApplyParts();
}

void StatusBar::InsertPanel(int index, int width) {
    widths_.insert(widths_.begin() + index, width);
    texts_.insert(texts_.begin() + index, std::string());
    ApplyParts();
}

void StatusBar::ApplyParts() {
    std::vector<int> edges;
    int x = 0;
    for (size_t i = 0; i < widths_.size(); ++i) {
        x += form_ ? form_->Scale(widths_[i]) : widths_[i];
        edges.push_back(i + 1 == widths_.size() ? -1 : x);
    }
    SendMessageW(hwnd_, SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
    for (size_t i = 0; i < texts_.size(); ++i)
        SendMessageW(hwnd_, SB_SETTEXTW, i, reinterpret_cast<LPARAM>(base::Widen(texts_[i]).c_str()));
}

void StatusBar::SetPanelText(int index, const std::string& text) {
    if (index < 0 || index >= PanelCount()) return;
    texts_[static_cast<size_t>(index)] = text;
    SendMessageW(hwnd_, SB_SETTEXTW, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(base::Widen(text).c_str()));
}

std::string StatusBar::PanelText(int index) const {
    if (index < 0 || index >= PanelCount()) return {};
    return texts_[static_cast<size_t>(index)];
}

}  // namespace ui
