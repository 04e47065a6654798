// The workstation program.
#include "app/shell/CWorkstationApp.h"

int main(int argc, char** argv)
{
    CWorkstationApp app;
    return app.Main(argc, argv);
}
