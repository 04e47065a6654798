// What the tests of XvfbTestMain.cpp may ask of it.
#pragma once

// Whether the tests run on an X server of their own (else Xvfb is missing).
bool XServerUp();
// The suites whose names start so run under a window manager.
inline constexpr const char* kManagedSuite = "X11Managed";
