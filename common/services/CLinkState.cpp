#include "common/services/CLinkState.h"

#include "platform/core/CArchive.h"
#include "platform/core/CException.h"

CString LinkGroupName(int group)
{
    if (group == kLinkGroupDisabled)
        return "Disable Link";
    if (group == kLinkGroupAll)
        return "Link to All";
    if (group >= kLinkGroupFirst && group <= kLinkGroupLast) {
        CString name;
        name.Format("Group %d", group - kLinkGroupFirst + 1);
        return name;
    }
    return CString();
}

void CLinkState::SetButtons(bool symbolButton, bool intervalButton)
{
    m_bSymbolButton = symbolButton;
    m_bIntervalButton = intervalButton;
}

bool CLinkState::SetSymbolGroup(int group)
{
    if (group < 0 || group >= kLinkGroupCount)
        return false;
    m_symbolGroup = group;
    return true;
}

bool CLinkState::SetIntervalGroup(int group)
{
    if (group < 0 || group >= kLinkGroupCount)
        return false;
    m_intervalGroup = group;
    return true;
}

bool CLinkState::Accepts(bool hasButton, int mine, int group)
{
    if (!hasButton || group == kLinkBroadcastNone || mine == kLinkGroupDisabled)
        return false;
    if (group == kLinkBroadcastAll)
        return true;
    if (group == kLinkGroupDisabled)
        return false;
    if (mine == kLinkGroupAll || group == kLinkGroupAll)
        return true;
    return mine == group;
}

bool CLinkState::AcceptsSymbolGroup(int group) const
{
    return Accepts(m_bSymbolButton, m_symbolGroup, group);
}

bool CLinkState::AcceptsIntervalGroup(int group) const
{
    return Accepts(m_bIntervalButton, m_intervalGroup, group);
}

bool CLinkState::Save(CArchive& ar) const
{
    try {
        if (m_bSymbolButton)
            ar << static_cast<DWORD>(m_symbolGroup);
        if (m_bIntervalButton)
            ar << static_cast<DWORD>(m_intervalGroup);
    } catch (CException&) {
        return false;
    }
    return true;
}

bool CLinkState::Load(CArchive& ar)
{
    DWORD symbol = static_cast<DWORD>(m_symbolGroup);
    DWORD interval = static_cast<DWORD>(m_intervalGroup);
    try {
        if (m_bSymbolButton)
            ar >> symbol;
        if (m_bIntervalButton)
            ar >> interval;
    } catch (CException&) {
        return false;
    }
    if (symbol >= static_cast<DWORD>(kLinkGroupCount) || interval >= static_cast<DWORD>(kLinkGroupCount))
        return false;
    m_symbolGroup = static_cast<int>(symbol);
    m_intervalGroup = static_cast<int>(interval);
    return true;
}
