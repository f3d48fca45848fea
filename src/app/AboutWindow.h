#pragma once
// The About window: title pictures, the release text and the thanks line.
#include "ui/Form.h"

class TfrmAbout : public ui::Form {
public:
    // The owner is the main window, over which the window is centred.
    explicit TfrmAbout(ui::Form& owner);

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
