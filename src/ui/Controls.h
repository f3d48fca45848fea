#pragma once
// Thin wrappers over the native controls. A form creates them from its layout
// table; the wrappers turn WM_COMMAND/WM_NOTIFY back into plain handlers.
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "base/Handles.h"
#include "base/Owned.h"
#include "base/Timer.h"

namespace ui {

class Form;

enum class MouseButton { Left, Right, Middle };

class Control {
public:
    Control() = default;
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;
    virtual ~Control() = default;

    HWND Handle() const { return hwnd_; }
    int Id() const { return id_; }
    std::string Text() const;
    void SetText(const std::string& text);
    bool Enabled() const;
    void SetEnabled(bool enabled);

protected:
    friend class Form;
    // Style bits the control adds to those of its kind when it is created.
    virtual DWORD ExtraStyle() const { return 0; }
    // Notification code of a WM_COMMAND from this control.
    virtual void OnCommand(int /*code*/) {}
    virtual void OnDrawItem(const DRAWITEMSTRUCT& /*dis*/) {}
    // Called once the native window exists.
    virtual void OnCreated() {}
    // Whether the form may hand this control the keyboard focus by itself
    // (on showing, or on activation): an enabled, visible tab stop.
    virtual bool AcceptsFocus() const;
    // The font to draw with at the form's current DPI, `width` being the
    // control's scaled width: the form's own unless the control keeps one.
    virtual HFONT FontFor(const Form& form, int width);
    // The form was laid out again at another DPI.
    virtual void OnDpiChanged() {}
    // The form's client area changed size.
    virtual void OnFormSized() {}
    // Text colour on the form's face; CLR_INVALID for the system's.
    virtual COLORREF TextColor() const { return CLR_INVALID; }

    HWND hwnd_ = nullptr;
    int id_ = 0;
    Form* form_ = nullptr;
};

class GroupBox : public Control {};

class Button : public Control {
public:
    std::function<void()> onClick;
    // Any mouse button pressed over the button: (button, key state, x, y).
    std::function<void(MouseButton, WPARAM, int, int)> onMouseDown;
    void Click();

protected:
    void OnCommand(int code) override;
    void OnCreated() override;

private:
    static LRESULT CALLBACK SubclassProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
    bool inClickMessage_ = false;
};

class RadioButton : public Control {
public:
    std::function<void()> onClick;
    bool Checked() const;
    // Turning a radio button on from code runs its click handler, as a click would.
    void SetChecked(bool checked);

protected:
    friend class Form;
    void OnCommand(int code) override;
    // Focus on an unchecked auto radio button checks it and runs its click
    // handler, which would change a choice the user never made.
    bool AcceptsFocus() const override { return Control::AcceptsFocus() && Checked(); }
    Control* group_ = nullptr;
    // The other radio buttons of the same group, as the form made them.
    std::vector<RadioButton*> mates_;
};

// A note drawn right-aligned after an item's text in a drop-down list.
struct ItemNote {
    std::string text;
    bool dim = false;  // in the system's grey text colour
};

class ComboBox : public Control {
public:
    std::function<void()> onChange;  // text edited or item picked by the user
    std::function<void()> onClick;   // item picked by the user
    // Set before the form creates the control: the list then draws its items
    // itself, each with its note. The items keep their strings, so reading
    // them back, typing and screen readers see the same texts as without.
    std::function<ItemNote(int index)> itemNote;
    // Repaints an item (-1: every item) of the list while it is dropped down.
    void RedrawItem(int index);
    void AddItem(const std::string& text);
    void Clear();  // all items and the edit text
    int Count() const;
    std::string Item(int index) const;
    int ItemIndex() const;
    // Selects an item from code; runs no handler. -1 clears the selection.
    void SetItemIndex(int index);
    bool Editable() const { return editable_; }

protected:
    friend class Form;
    DWORD ExtraStyle() const override;
    void OnCommand(int code) override;
    void OnDrawItem(const DRAWITEMSTRUCT& dis) override;
    void OnCreated() override;
    void OnDpiChanged() override;
    bool editable_ = false;

private:
    void FitItemHeights();
};

class Edit : public Control {};

class Label : public Control {
public:
    std::function<void()> onClick;
    COLORREF color = CLR_INVALID;  // CLR_INVALID: the system's text colour
    int fontHeight = 0;            // 0: the form's font
    // A one-line text that must be read whole: the font steps down (to 9 px at
    // the least) until the text fits the label's width.
    bool shrinkToFit = false;

protected:
    friend class Form;
    void OnCommand(int code) override;
    HFONT FontFor(const Form& form, int width) override;
    COLORREF TextColor() const override { return color; }
    base::UniqueFont font_;
};

class Picture : public Control {
public:
    std::function<void()> onClick;
    std::function<void(HDC, const RECT&)> onPaint;

protected:
    void OnCommand(int code) override;
    void OnDrawItem(const DRAWITEMSTRUCT& dis) override;
};

class StatusBar : public Control {
public:
    // Panels are given by width; the last one takes the rest of the bar.
    void AddPanel(int width);
    void InsertPanel(int index, int width);
    int PanelCount() const { return static_cast<int>(widths_.size()); }
    void SetPanelText(int index, const std::string& text);
    std::string PanelText(int index) const;

protected:
    void OnDpiChanged() override { ApplyParts(); }
    // The bar places itself along the bottom edge when told of a new size.
    void OnFormSized() override { SendMessageW(hwnd_, WM_SIZE, 0, 0); }

private:
    void ApplyParts();
    std::vector<int> widths_;
    std::vector<std::string> texts_;
};

// Pop-up menu whose items can be enabled and disabled.
class PopupMenu {
public:
    PopupMenu();
    // Returns the item's index.
    int AddItem(const std::string& caption, std::function<void()> onClick);
    void SetItemEnabled(int index, bool enabled);
    bool ItemEnabled(int index) const;
    std::string ItemCaption(int index) const;
    int Count() const { return static_cast<int>(handlers_.size()); }
    // Opens the menu at a screen point and runs the chosen item's handler.
    void Popup(HWND owner, POINT at);
    HMENU Handle() const { return menu_.get(); }
    // Runs just before the menu opens (tests use it to close the menu again).
    std::function<void()> onPopup;
    // Index of the item clicked last, or -1 (tests and diagnostics).
    int lastChosen = -1;

    // Runs the handler of an item as a click would (disabled items do nothing).
    void ClickItem(int index);

private:
    base::UniqueMenu menu_;
    std::vector<std::function<void()>> handlers_;
};

// An image list of square images.
class ImageList {
public:
    explicit ImageList(int size = 32);
    ~ImageList();
    ImageList(const ImageList&) = delete;
    ImageList& operator=(const ImageList&) = delete;
    void AddIcon(HICON icon);
    // Appends the images of a bitmap as wide as a row of them, with its mask.
    void Add(HBITMAP images, HBITMAP mask);
    int Count() const;
    // A new icon of image index; the caller owns it.
    base::UniqueIcon GetIcon(int index) const;
    HIMAGELIST Handle() const { return list_; }
    int Size() const { return size_; }

private:
    HIMAGELIST list_ = nullptr;
    int size_;
};

// A form's timer: the one window timer, which needs no routing by the form.
class Timer : public base::Timer {
public:
    explicit Timer(Form&) {}
};

}  // namespace ui
