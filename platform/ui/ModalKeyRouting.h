// Keys typed ahead of a modal window, and behind the one that ends it. The window system
// still addresses keys to the window the user typed into until the modal window it opened
// has the focus: the keys queued behind the one that opened it, and those typed before the
// window manager moved the focus. Qt drops keys for a window that a modal window blocks and
// for one hidden or gone (a popup menu or a dialog just closed); routed here, they go to the
// modal window that blocks it, or to where the focus is now, in the order they came, with
// their modifiers. They wait until the modal window is active, so that they reach the
// control that has its focus; the keys behind the one that ends a modal dialog wait until
// the code that ran it has taken its answer, so that what they do comes after it.
#pragma once

class QWidget;

// Routes the key presses and releases so, for the life of the application object. Once per
// application (later calls do nothing); user-interface thread, after the application object
// exists.
void RouteBlockedKeysToModalWindows();

// Before a window that has the keyboard hides: the keyboard goes to the window it belongs to
// at once. Left to the window manager, it would get there only once the manager has taken
// note, and keys typed meanwhile would reach no window. On X only; user-interface thread.
void HandKeyboardToOwner(QWidget* window);

// The program activates a top-level window: keys typed from now on go to it, held until the
// window manager has given it the focus (at most as long as keys wait for a modal window).
// Without it they would reach the window that had the focus until then.
void KeysFollowActivation(QWidget* window);
