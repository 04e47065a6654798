// What the tests of XvfbTestMain.cpp may ask of it.
#pragma once

// Whether the tests run on an X server of their own (else Xvfb is missing).
bool XServerUp();
// The suite whose tests run under a window manager.
inline constexpr const char* kManagedSuite = "X11ManagedPlacement";
