// Windows on a real X server as the window manager has them: its stacking list, the active
// window, the frames it draws, and real input sent with xdotool. Needs the xcb platform.
#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QStringList>

#include <xcb/xcb.h>

#include <cstdint>
#include <vector>

namespace qx::x11 {

xcb_connection_t* Connection();
xcb_window_t Root();
xcb_atom_t Atom(const char* name);
// A property of 32-bit values (windows, atoms, cardinals); empty when missing.
std::vector<uint32_t> Property(xcb_window_t window, const char* name, xcb_atom_t type);
// Whether a window manager holds the root window.
bool WindowManagerRuns();

// The manager's windows, bottom first.
std::vector<uint32_t> Stacking();
// Position in the manager's stacking order (higher is nearer the user); -1 when unknown.
int StackingLevel(xcb_window_t window);
// The window the manager has activated.
xcb_window_t ActiveWindow();
// Whether the manager keeps the window in its "above" layer.
bool AboveOthers(xcb_window_t window);
// Whether the X server shows the window: mapped, and its ancestors too.
bool Viewable(xcb_window_t window);
// The state the manager has given the window (its WM_STATE).
enum class WmState : uint32_t { None = 0, Normal = 1, Iconic = 3 };
// None while the manager does not hold the window (withdrawn, or not framed yet).
WmState ManagedState(xcb_window_t window);
// The window's client area on the screen, as the X server has it.
QRect ClientOnScreen(xcb_window_t window);
// The window with the frame the manager draws around it (title bar and borders, from its
// _NET_FRAME_EXTENTS); empty until the manager has framed it.
QRect FrameOnScreen(xcb_window_t window);
// The middle of the window's title bar, where the user takes it to drag it.
QPoint TitleBarPoint(xcb_window_t window);
// What the screen shows in an area, read from the X server (null when it cannot be read).
QImage ScreenImage(const QRect& area);
// The share of pixels, 0 to 1, in which two images of one size differ.
double DifferingShare(const QImage& a, const QImage& b);

// Asks the manager to activate the window as a pager or task bar does for the user.
void ActivateByManager(xcb_window_t window);

bool HaveXdotool();
// xdotool's commands for a drag with the left button from one screen point by an offset,
// at a hand's pace: ten steps a tenth of a second apart.
QStringList DragCommands(QPoint from, QPoint by);
// A click with the left button at a screen point.
QStringList ClickCommands(QPoint at);
// Alt+Tab at a hand's pace: Alt held down, Tab pressed, Alt let go.
QStringList AltTab();

} // namespace qx::x11
