// A floating top-level frame holding a window detached from the MDI area.
#pragma once

#include "platform/ui/CFrameWnd.h"

class CSdiChildFrame : public CFrameWnd {
public:
    CSdiChildFrame();
    ~CSdiChildFrame() override;

    // parent is the owner (normally the main frame): the frame stays above it.
    BOOL LoadFrame(UINT resourceId, DWORD style = WS_OVERLAPPEDWINDOW, CWnd* parent = nullptr,
                   CCreateContext* context = nullptr) override;

protected:
    QWidget* CreateOuterWidget(QWidget* parent, QWidget* client) override;
};
