#include "platform/ui/CSdiChildFrame.h"

#include "platform/ui/CWinApp.h"
#include "platform/ui/DesktopPlacement.h"

#include <QMainWindow>

CSdiChildFrame::CSdiChildFrame() = default;
CSdiChildFrame::~CSdiChildFrame() = default;

BOOL CSdiChildFrame::LoadFrame(UINT resourceId, DWORD style, CWnd* parent, CCreateContext* context)
{
    CWnd* owner = parent;
    if (!owner)
        if (CWinApp* app = AfxGetApp())
            owner = app->m_pMainWnd;
    return CFrameWnd::LoadFrame(resourceId, style, owner, context);
}

QWidget* CSdiChildFrame::CreateOuterWidget(QWidget* parent, QWidget* client)
{
    // A top-level window owned by the main frame (stays above it, closes with it).
    QWidget* owner = parent ? parent->window() : nullptr;
    auto* main = new QMainWindow(owner, Qt::Window);  // deleted with the frame, or with its owner
    main->setCentralWidget(client);
    // A usable size, a step lower and to the right of the last new one, on the desktop.
    static int cascade = 0;
    const int k = cascade++ % 8;
    const QPoint origin = owner ? owner->geometry().topLeft() : DesktopArea(nullptr).topLeft();
    main->setGeometry(QRect(origin + QPoint(48 + 28 * k, 96 + 28 * k), QSize(720, 480)));
    FitOnDesktop(main);
    KeepOnDesktop(main);
    return main;
}
