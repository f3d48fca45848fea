#pragma once
// Top-level windows built from a layout table in 96-DPI pixels.
#include <windows.h>

#include <functional>
#include <initializer_list>
#include <map>
#include <string>
#include <vector>

#include "base/Handles.h"
#include "ui/Controls.h"
#include "ui/Fonts.h"

namespace ui {

enum class Kind {
    GroupBox,
    RadioButton,
    CheckBox,
    Button,
    DefaultButton,  // the button that Enter presses
    CancelButton,   // the button that Esc presses
    DropDownList,   // pick only
    DropDown,       // pick or type
    Edit,
    Label,
    Picture,
    StatusBar,
};

struct Bounds {
    int left = 0, top = 0, width = 0, height = 0;
};

// One row of a form's layout: bounds are inside `group` when one is given.
struct ControlSpec {
    Control* control;
    Kind kind;
    Bounds bounds;
    const char* caption = "";
    Control* group = nullptr;
    std::vector<const char*> items = {};
};

enum class FormStyle {
    Single,  // single border, system menu, minimise box
    Dialog,  // dialog frame, close box only
};

struct FormSpec {
    const char* caption;
    int clientWidth;
    int clientHeight;
    FormStyle style;
};

enum ModalResult { mrNone = 0, mrOk = 1, mrCancel = 2 };

class Form {
public:
    Form();
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;
    virtual ~Form();

    // Builds the native window and its controls (hidden). owner may be null.
    void Create(const FormSpec& def, std::initializer_list<ControlSpec> controls, HWND owner = nullptr);

    HWND Handle() const { return hwnd_.get(); }
    std::string Caption() const;
    void SetCaption(const std::string& caption);

    // Window rectangle in screen pixels.
    int Left() const;
    int Top() const;
    int Width() const;
    int Height() const;
    // Moves the window to a stored position. A position where no usable part
    // of the caption would be on a monitor's work area (the monitors changed
    // since it was stored, or the file was edited) is brought onto the
    // nearest work area instead, so that the user can always reach it.
    void MoveToStoredPosition(int left, int top);
    bool Visible() const;

    // Shows the window, running FormShow first.
    void Show(int showCommand = SW_SHOWNORMAL);
    // Shows modally over the owner and returns the modal result.
    int ShowModal();
    bool IsModal() const { return modal_; }
    // Ends a modal showing with a result.
    void SetModalResult(int result) { modalResult_ = result; }
    int ModalResultValue() const { return modalResult_; }

    // Scales a 96-DPI length to the window's DPI.
    int Scale(int pixels) const { return MulDiv(pixels, dpi_, 96); }
    int Dpi() const { return dpi_; }

    // The form's font: the Japanese UI font, or a fallback when it is missing.
    HFONT Font() const { return font_.get(); }

    // The buttons that Enter and Esc press (their rows say so).
    void SetDefaultButton(Button* button) { defaultButton_ = button; }
    void SetCancelButton(Button* button) { cancelButton_ = button; }
    // A key that runs handler while the window or one of its controls has the
    // keyboard: key is a virtual-key code, modifiers FCONTROL, FSHIFT, FALT.
    void AddShortcut(BYTE modifiers, WORD key, std::function<void()> handler);
    // Puts a radio button into the radio group of a group box (null: of the
    // form outside every box) and returns the whole group, in the order made.
    const std::vector<RadioButton*>& JoinRadioGroup(RadioButton* radio, const Control* box);

protected:
    // Runs each time the form is shown, before it becomes visible.
    virtual void FormShow() {}
    // The close box or system menu: return false to keep the window open.
    virtual bool FormCloseQuery() { return true; }
    // Every message; return true when handled (result in `result`).
    virtual bool HandleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
    // Shows at once the cursor shape that the window would choose on the
    // pointer's next move (WM_SETCURSOR), when the pointer is over it.
    void RefreshCursor() const;
    // A main form ends the application when its window is destroyed.
    bool isMainForm_ = false;

private:
    static LRESULT CALLBACK WndProc(HWND, UINT, WPARAM, LPARAM);
    static void RegisterFormClass();
    LRESULT Dispatch(UINT msg, WPARAM wp, LPARAM lp);
    // The keyboard focus, kept as a dialog manager keeps it: the control that
    // had it when the window lost activation gets it back on activation.
    void RememberFocus();
    void RestoreFocus();
    HWND FirstTabStop() const;
    void CreateControl(const ControlSpec& row, const ControlSpec* previous,
                       std::map<Control*, Bounds>& placed);
    void FitIntoGroup(const ControlSpec& row, HFONT font, std::map<Control*, Bounds>& placed);
    Control* FindControl(int id) const;
    // The control of a child window of this form; null for any other window.
    Control* ControlOf(HWND hwnd) const;

    base::UniqueHwnd hwnd_;
    base::UniqueFont font_;
    std::map<int, Control*> controls_;
    // Each control's bounds in the form, 96-DPI pixels, and its created height.
    std::map<int, Bounds> layout_;
    int clientWidth_ = 0, clientHeight_ = 0;
    void ApplyDpi(int dpi, const RECT* suggested);
    // Puts a control at its table bounds scaled to the DPI; a control of
    // width 0 (a label) takes the size of its caption in `font`.
    void Place(const Control& c, const Bounds& b, HFONT font) const;
    // The radio buttons of each group box (null: those outside any).
    std::map<const Control*, std::vector<RadioButton*>> radioGroups_;
    Button* defaultButton_ = nullptr;
    Button* cancelButton_ = nullptr;
    std::vector<ACCEL> shortcutKeys_;
    std::vector<std::function<void()>> shortcuts_;  // by command id from kFirstShortcutId
    base::UniqueAccel accelerators_;
    int nextId_ = 100;
    int dpi_ = 96;
    bool modal_ = false;
    int modalResult_ = mrNone;
    bool shownOnce_ = false;
    HWND focus_ = nullptr;
};

}  // namespace ui
