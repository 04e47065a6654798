// Keys typed ahead of a modal window, and behind the one that ends it. The window system
// still addresses keys to the window the user typed into until the modal window it opened
// has the focus: the keys queued behind the one that opened it, and those typed before the
// window manager moved the focus. Qt drops keys for a window that a modal window blocks and
// for one hidden or gone (a popup menu or a dialog just closed); routed here, they go to the
// modal window that blocks it, or to where the focus is now, in the order they came, with
// their modifiers. They wait until the modal window is active, so that they reach the
// control that has its focus; the keys behind the one that ends a modal dialog wait until
// the code that ran it has taken its answer, so that what they do comes after it.
//
// The routing reads Qt's private structures (the window-system event queue, the list of
// modal windows), laid out as in the Qt release the program was built with: it is built
// only for the releases named in platform/ui/CMakeLists.txt, and stays off when another
// release runs.
#pragma once

#include <string_view>

class QDialog;
class QWidget;

// Routes the key presses and releases so, for the life of the application object. Once per
// application (later calls do nothing); user-interface thread, after the application object
// exists. When the Qt that runs is not the release the program was built with, it says so in
// the log and leaves the keys as Qt sends them.
void RouteBlockedKeysToModalWindows();

// Whether the Qt library that runs ("6.4.2", from qVersion()) is the release the program was
// built with (QT_VERSION_STR): private structures may change with any release.
bool SameQtRelease(std::string_view running, std::string_view built);

// Runs the dialog's modal loop (QDialog::exec) and returns its result, with the keys routed
// (RouteBlockedKeysToModalWindows). The keys typed behind
// the one that ends the dialog wait until the loop has returned and the code that called this
// is back in an event loop.
int ExecModalDialog(QDialog& dialog);

// Before a window that has the keyboard hides: the keyboard goes to the window it belongs to
// at once. Left to the window manager, it would get there only once the manager has taken
// note, and keys typed meanwhile would reach no window. On X only; user-interface thread.
void HandKeyboardToOwner(QWidget* window);

// The program activates a top-level window: keys typed from now on go to it, held until the
// window manager has given it the focus. Without it they would reach the window that had the
// focus until then. The window stops taking them when it has the focus, when the manager has
// not given it the focus within the time keys wait for a modal window (counted from this
// call), when another window of the program gets the focus, or when the user presses a mouse
// button: keys typed meanwhile then go to the window they were typed into.
void KeysFollowActivation(QWidget* window);
