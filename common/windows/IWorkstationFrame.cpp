#include "common/windows/IWorkstationFrame.h"

#include "platform/ui/CWinApp.h"
#include "platform/ui/CWnd.h"

IWorkstationFrame* GetWorkstationFrame()
{
    return dynamic_cast<IWorkstationFrame*>(AfxGetMainWnd());
}
