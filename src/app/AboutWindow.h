#pragma once
// The About window: title pictures, the release text and the thanks line.
#include "ui/Form.h"

class TfrmAbout : public ui::Form {
public:
    // The owner is the main window, over which the window is centred. The
    // native window is made by Build, not here: the main window builds it
    // once it is on the screen, so that its first show does not wait for it.
    explicit TfrmAbout(ui::Form& owner);
    // Makes the window and its controls, unless they exist.
    void Build();

    ui::Picture Image;
    ui::Picture ImgTitle;
    ui::Label LblRelease;
    ui::Label LbLCyberSyndrome;

    void LbLCyberSyndromeClick();
    // Tests replace the shell call.
    void (*openAddress)(const char* address) = nullptr;

protected:
    void FormShow() override;

private:
    ui::Form& owner_;
};
