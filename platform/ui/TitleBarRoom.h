// The width a top-level window needs for the window manager to show its title whole.
#pragma once

class QString;
class QWidget;

// The window manager draws a title in a bold face between the window's icon and its
// minimise, maximise and close buttons, each about as wide as the title bar is high, with
// a little padding: the title's width in the bold title-bar font and room for five such
// squares beside it.
int TitleBarRoom(const QWidget& window, const QString& title);
