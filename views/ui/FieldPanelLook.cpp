#include "views/ui/FieldPanelLook.h"

#include "platform/ui/WinGdi.h"
#include "views/SnapshotFields.h"

COLORREF CFieldPanelLook::LabelBox() const
{
    return LabelBoxColor(face);
}

CFieldPanelLook& SharedFieldPanelLook()
{
    static CFieldPanelLook look = [] {
        CFieldPanelLook l;
        l.face = GetSysColor(COLOR_BTNFACE);
        return l;
    }();
    return look;
}
