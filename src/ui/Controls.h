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
#include "ui/ImageList.h"
#include "ui/PopupMenu.h"
#include "base/Timer.h"

namespace ui {

class Form;
struct ControlSpec;

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

    // What the form that makes the control calls, in this order while it
    // builds it. Style bits added to those of the row's kind; `previous` is
    // the row made just before (null for the first).
    virtual DWORD ExtraStyle(const ControlSpec& /*row*/, const ControlSpec* /*previous*/) const { return 0; }
    // The native window exists: from now on the control speaks for it.
    void Attach(Form& form, HWND hwnd, int id);
    // Has its font and place: the control takes what its row holds for it.
    virtual void OnAdded(Form& /*form*/, const ControlSpec& /*row*/) {}

    // Notification code of a WM_COMMAND from this control.
    virtual void OnCommand(int /*code*/) {}
    virtual void OnDrawItem(const DRAWITEMSTRUCT& /*dis*/) {}
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

protected:
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
    // Subclasses the button, and makes it the form's Enter or Esc button
    // when its row says so.
    void OnAdded(Form& form, const ControlSpec& row) override;

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
    // A radio button starts a new tab group unless the row before it was a
    // radio button of the same group box.
    DWORD ExtraStyle(const ControlSpec& row, const ControlSpec* previous) const override;
    void OnAdded(Form& form, const ControlSpec& row) override;
    void OnCommand(int code) override;
    // Focus on an unchecked auto radio button checks it and runs its click
    // handler, which would change a choice the user never made.
    bool AcceptsFocus() const override { return Control::AcceptsFocus() && Checked(); }

private:
    // The radio buttons of the same group box, this one included, as the
    // form made them.
    const std::vector<RadioButton*>* group_ = nullptr;
};

class CheckBox : public Control {
public:
    std::function<void()> onClick;  // the user turned it on or off
    bool Checked() const;
    // Runs no handler.
    void SetChecked(bool checked);

protected:
    void OnCommand(int code) override;
};

// A note drawn right-aligned after an item's text in a drop-down list.
struct ItemNote {
    std::string text;
    bool dim = false;  // in the system's grey text colour
};

class ComboBox : public Control {
public:
    std::function<void()> onClick;  // item picked by the user
    // A box that can be typed into tells apart what the user does to its text:
    // an edit (a key typed, or an arrow key stepping to another item while the
    // list is closed), a pick from the dropped-down list (stepping through it
    // with the arrow keys is none until the pick), Enter in the closed box,
    // and the focus leaving the box. Esc or a click elsewhere while the list
    // is down puts back the text it had before. A list that cannot be typed
    // into calls onChange with onClick, for every item the selection passes;
    // one that has onPick tells apart the same way instead: onPick for a pick
    // from the dropped-down list, onChange for a step in the closed box (an
    // arrow key, a letter), and Esc or a click elsewhere puts back the item
    // it showed before. Without onEnter, Enter is the form's as in any other
    // control.
    std::function<void()> onChange;
    std::function<void()> onPick;
    std::function<void()> onEnter;
    std::function<void()> onLeave;
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
    DWORD ExtraStyle(const ControlSpec& row, const ControlSpec* previous) const override;
    // Takes its kind's editing and the row's items.
    void OnAdded(Form& form, const ControlSpec& row) override;
    void OnCommand(int code) override;
    void OnDrawItem(const DRAWITEMSTRUCT& dis) override;
    void OnDpiChanged() override;
    bool editable_ = false;

private:
    void FitItemHeights();
    void OnEditableCommand(int code);
    void OnPickListCommand(int code);
    static LRESULT CALLBACK EditSubclassProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
    bool Dropped() const;
    // The text when the list last dropped down; put back when it closes
    // without a pick.
    std::string textBeforeDrop_;
    int indexBeforeDrop_ = -1;
    // A pick from the list ends with the selection's change after the list
    // has closed, which is no step of the closed box.
    int pickedIndex_ = -1;
    bool dropped_ = false;

public:
    // Replaces every item, painting once however many there are.
    void SetItems(const std::vector<std::string>& items);
    std::vector<std::string> Items() const;
    // Selects characters start to end of the edit text; a start of -1 selects
    // none.
    void SetEditSelection(int start, int end);
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
    // A one-line label must not wrap its last word onto a line that its
    // height hides.
    DWORD ExtraStyle(const ControlSpec& row, const ControlSpec* previous) const override;
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

// A form's timer: the one window timer, which needs no routing by the form.
class Timer : public base::Timer {
public:
    explicit Timer(Form&) {}
};

}  // namespace ui
