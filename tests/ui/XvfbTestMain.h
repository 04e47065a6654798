// What the tests of XvfbTestMain.cpp may ask of it.
#pragma once

// Whether the tests run on an X server of their own (else Xvfb is missing).
bool XServerUp();
