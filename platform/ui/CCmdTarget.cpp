#include "platform/ui/CCmdTarget.h"

#include "platform/ui/CCmdUI.h"

const CMessageMap& CCmdTarget::GetMessageMap() const
{
    static const CMessageMap root;
    return root;
}

BOOL CCmdTarget::OnCmdMsg(UINT id, UINT code, CCmdUI* ui)
{
    return DispatchCommand(id, code, ui) ? TRUE : FALSE;
}

bool CCmdTarget::DispatchCommand(UINT id, UINT code, CCmdUI* ui)
{
    const CMessageMap& map = GetMessageMap();
    if (code == CN_UPDATE_COMMAND_UI) {
        if (!ui)
            return false;
        if (const auto* e = map.FindUpdate(id)) {
            e->fn(*this, *ui);
            return true;
        }
        // A command handler without an update handler leaves the item enabled.
        return map.FindCommand(id, 0, false) != nullptr;
    }
    if (const auto* e = map.FindCommand(id, code, false)) {
        e->fn(*this, id);
        return true;
    }
    return false;
}
