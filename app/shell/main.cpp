// The workstation program.
#include "app/shell/CWorkstationApp.h"

int main(int argc, char** argv)
{
    // Usage and bad options before anything needs a display.
    if (const int code = CheckCommandLine(argc, argv); code >= 0)
        return code;
    CWorkstationApp app;
    return app.Main(argc, argv);
}
