// Keys typed ahead of a modal window. The window system still addresses keys to the window
// the user typed into until the modal window it opened has the focus: the keys queued
// behind the one that opened it, and those typed before the window manager moved the focus.
// Qt drops keys for a window that a modal window blocks and for one hidden or gone (a popup
// menu just closed); routed here, they go to the modal window that blocks it, or to where
// the focus is now, in the order they came, with their modifiers. They wait until the modal
// window is active, so that they reach the control that has its focus.
#pragma once

// Routes the key presses and releases so, for the life of the application object. Once per
// application (later calls do nothing); user-interface thread, after the application object
// exists.
void RouteBlockedKeysToModalWindows();
