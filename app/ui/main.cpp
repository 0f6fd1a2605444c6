// plova: the voice-file manager's desktop program.
#include "app/ui/CPLOVAApp.h"
#include "platform/ui/QtPorts.h"

int main(int argc, char** argv) {
    plova::ui::CPLOVAApp app(argc, argv);
    plova::ui::QtPorts ports;
    if (!app.InitInstance()) return 1;
    return app.Run();
}
