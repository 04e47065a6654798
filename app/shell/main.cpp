// The workstation program.
#include "app/shell/CWorkstationApp.h"
#include "platform/ui/DisplayCheck.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv)
{
    // Usage and bad options before anything needs a display.
    if (const int code = CheckCommandLine(argc, argv); code >= 0)
        return code;
    // Without a display the toolkit would abort: say so and fail plainly.
    if (std::string problem; !FindDisplay(argc, argv, problem)) {
        std::fprintf(stderr, "quorvantelix: %s\n", problem.c_str());
        return 1;
    }
    CWorkstationApp app;
    return app.Main(argc, argv);
}
