#include "app/Application.h"

#include <commctrl.h>

#include <memory>

#include "app/MainWindow.h"
#include "base/Error.h"
#include "base/MessageLoop.h"

int RunApplication(HINSTANCE, int show) {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);
    std::unique_ptr<TfrmMain> main;
    // An error that escapes start-up or the loop is shown, then the program ends.
    base::Guarded([&] {
        main = std::make_unique<TfrmMain>();
        main->Show(show == SW_SHOWMINIMIZED || show == SW_MINIMIZE ? SW_SHOWMINNOACTIVE : SW_SHOWNORMAL);
        base::RunMessageLoop();
    });
    base::Guarded([&] { main.reset(); });
    return 0;
}
