#include "platform/ui/CCmdUI.h"

#include "platform/ui/CCmdTarget.h"

void CCmdUI::Enable(BOOL on)
{
    m_enabled = on != FALSE;
    m_bEnableChanged = true;
}

void CCmdUI::SetCheck(int check)
{
    m_check = check;
}

void CCmdUI::SetText(const char* text)
{
    m_textSet = true;
    m_text = text;
}

bool CCmdUI::DoUpdate(CCmdTarget* target, bool disableIfNoHandler)
{
    m_bEnableChanged = false;
    const bool handled = target && target->OnCmdMsg(m_nID, CN_UPDATE_COMMAND_UI, this);
    if (!handled && disableIfNoHandler && !m_bEnableChanged)
        Enable(FALSE);
    return handled;
}
