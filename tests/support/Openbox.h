// openbox as the window manager of the X server that DISPLAY names, for tests judged by
// what a window manager makes of their windows: up (it manages windows) once constructed,
// unless Up() says otherwise, and stopped when this goes. Needs no Qt, so a test entry can
// start it before its application.
#pragma once

#include "tests/support/ChildProcess.h"

#include <memory>

namespace qx::testsupport {

class COpenbox {
public:
    // Starts openbox and waits, ten seconds at most, until it has started up: it then runs
    // its startup command.
    COpenbox();

    bool Up() const { return m_process != nullptr; }

private:
    std::unique_ptr<CChildProcess> m_process;
};

}  // namespace qx::testsupport
