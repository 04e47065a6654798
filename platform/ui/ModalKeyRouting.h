// Keys typed ahead of a modal window. The window system still addresses keys to the window
// the user typed into until the modal window it opened has the focus: the keys queued
// behind the one that opened it, and those typed before the window manager moved the focus.
// Qt drops keys for a window that a modal window blocks; routed here, they go to the
// modal window that blocks it, in the order they came, with their modifiers.
#pragma once

// Routes the key presses and releases addressed to a window that a modal window blocks to
// that modal window, for the life of the application object. Once per application (later
// calls do nothing); user-interface thread, after the application object exists.
void RouteBlockedKeysToModalWindows();
