// Whether the window system the program is about to use can be reached, asked before
// the toolkit starts (it aborts the process when it finds none).
#pragma once

#include <string>

// The platform from "-platform NAME" or QT_QPA_PLATFORM, the X display from "-display
// NAME" or DISPLAY. False, with the reason, when the X display is not set or does not
// answer; true for other platforms (offscreen, a Wayland session).
bool FindDisplay(int argc, char** argv, std::string& problem);
