#include "studies/CStudyDefinition.h"

#include "platform/core/CArchive.h"
#include "studies/IStudyDialog.h"
#include "studies/StudyArchive.h"
#include "studies/StudyParams.h"

CStudyDefinition::CStudyDefinition(const CString& symbolOverride) : m_symbolOverride(symbolOverride) {}

void CStudyDefinition::SetKind(int typeId, UINT dialogId, bool separatePane)
{
    m_nTypeId = typeId;
    m_nDialogId = dialogId;
    m_bSeparatePane = separatePane;
    if (!separatePane)
        m_nPane = 0;
}

CString CStudyDefinition::KeySymbol(const CString& chartSymbol) const
{
    return m_symbolOverride.IsEmpty() ? chartSymbol : m_symbolOverride;
}

CString CStudyDefinition::OverridePrefix() const
{
    return m_symbolOverride.IsEmpty() ? CString() : m_symbolOverride + ",";
}

CString CStudyDefinition::OverrideSuffix() const
{
    return m_symbolOverride.IsEmpty() ? CString() : " (" + m_symbolOverride + ")";
}

CString CStudyDefinition::GetParamText() const
{
    return CString();
}

bool CStudyDefinition::SetParameters(const CStringArray&)
{
    return true;
}

bool CStudyDefinition::IsEqual(const CStudyDefinition& other) const
{
    return m_nTypeId == other.m_nTypeId && m_symbolOverride == other.m_symbolOverride;
}

bool CStudyDefinition::Store(CArchive& ar) const
{
    ar << static_cast<DWORD>(m_nPane) << m_symbolOverride;
    return true;
}

bool CStudyDefinition::Load(CArchive& ar, int version)
{
    if (version < 0 || version >= kFirstUnknownLayoutVersion)
        return false;
    DWORD pane = 0;
    CString symbol;
    ar >> pane >> symbol;
    m_nPane = static_cast<int>(pane);
    m_symbolOverride = symbol;
    return true;
}

bool CStudyDefinition::FillSourceCombo(IStudyDialog& dlg, const CString& selected) const
{
    CStringArray names;
    FillPriceFieldNames(names);
    dlg.ResetCombo(kCtlSource);
    int choice = -1;
    for (INT_PTR i = 0; i < names.GetSize(); ++i) {
        dlg.AddComboItem(kCtlSource, names[i]);
        if (choice < 0 && names[i].CompareNoCase(selected) == 0)
            choice = static_cast<int>(i);
    }
    if (!names.IsEmpty())
        dlg.SelectComboItem(kCtlSource, choice < 0 ? 0 : choice);
    return true;
}

void CStudyDefinition::FillPriceFieldNames(CStringArray& names) const
{
    names.RemoveAll();
    for (const char* name : {"Open", "High", "Low", "Close", "Volume"})
        names.Add(name);
}

CString GetCallArgument(const CStringArray& args, int index)
{
    return index >= 0 && index < args.GetSize() ? args[index] : CString();
}
