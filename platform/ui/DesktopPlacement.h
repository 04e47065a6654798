// Keeps windows where a trader can reach them: top-level windows inside the visible
// desktop, MDI children inside their area, each at a usable size.
#pragma once

#include <QRect>

class QMdiArea;
class QMdiSubWindow;
class QWidget;

// The rectangle moved (and shrunk when larger) to lie inside area.
QRect FitRect(QRect wanted, const QRect& area);
// The available geometry of the screen that shows the widget (the primary screen
// without one).
QRect DesktopArea(const QWidget* near);
// Places a top-level window so that its frame lies inside the desktop.
void FitOnDesktop(QWidget* window);
// From now on the window is put back inside the desktop whenever the program (not the
// user) shows, moves or resizes it.
void KeepOnDesktop(QWidget* window);
// From now on the MDI child is put inside its area when the program shows it or makes
// it larger than the area.
void KeepInsideArea(QMdiSubWindow* sub);
// Cascades the area's windows from its top left: each a step lower and to the right,
// the same usable size (the area less the steps, at least two thirds of it).
void CascadeInside(QMdiArea* area);
