#include "app/Application.h"

#include "ui/Error.h"
#include "ui/MessageLoop.h"

int RunApplication(HINSTANCE, int) {
    ui::Guarded([] { ui::RunMessageLoop(); });
    return 0;
}
