#include "app/Application.h"

#include <commctrl.h>

#include <memory>

#include "app/MainWindow.h"
#include "ui/Error.h"
#include "ui/MessageLoop.h"

int RunApplication(HINSTANCE, int show) {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);
    std::unique_ptr<TfrmMain> main;
    // An error that escapes start-up or the loop is shown, then the program ends.
    ui::Guarded([&] {
        main = std::make_unique<TfrmMain>();
        main->Show(show == SW_SHOWMINIMIZED || show == SW_MINIMIZE ? SW_SHOWMINNOACTIVE : SW_SHOWNORMAL);
        ui::RunMessageLoop();
    });
    ui::Guarded([&] { main.reset(); });
    return 0;
}
