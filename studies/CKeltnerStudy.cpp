#include "studies/CKeltnerStudy.h"

#include "studies/IStudyPlotFactory.h"
#include "studies/StudyArchive.h"
#include "studies/StudyParams.h"

CKeltnerStudy::CKeltnerStudy(const CString& symbolOverride) : CBandStudy(symbolOverride)
{
    SetKind(kStudyKeltner, 182, false);
}

CString CKeltnerStudy::GetCallText(const CString& chartSymbol, const CString& interval) const
{
    return "KB(" + KeySymbol(chartSymbol) + "," + m_length + "," + m_multiplier + ")," + interval;
}

CStudyPlot* CKeltnerStudy::CreatePlot() const
{
    return MakeStudyPlot(*this);
}

std::unique_ptr<CStudyDefinition> CKeltnerStudy::Clone() const
{
    return std::make_unique<CKeltnerStudy>(*this);
}

CString CKeltnerStudy::GetDisplayName() const
{
    return "Keltner Bands (" + OverridePrefix() + m_length + "," + m_multiplier + ")";
}

CString CKeltnerStudy::GetParamText() const
{
    return "(" + m_length + "," + m_multiplier + ")";
}

bool CKeltnerStudy::ReadDialog(IStudyDialog& dlg)
{
    return ReadLength(dlg, m_length) && ReadMultiplier(dlg, m_multiplier) && ReadLines(dlg);
}

bool CKeltnerStudy::FillDialog(IStudyDialog& dlg) const
{
    return WriteText(dlg, kCtlLength, m_length) && WriteText(dlg, kCtlReal1, m_multiplier) && FillLines(dlg);
}

bool CKeltnerStudy::SetParameters(const CStringArray& args)
{
    if (args.GetSize() < 2)
        return false;
    m_length = GetCallArgument(args, 0);
    m_multiplier = GetCallArgument(args, 1);
    return true;
}

bool CKeltnerStudy::IsEqual(const CStudyDefinition& other) const
{
    const auto* o = dynamic_cast<const CKeltnerStudy*>(&other);
    return o && CStudyDefinition::IsEqual(other) && Fields() == o->Fields() && SameLines(*o);
}

bool CKeltnerStudy::Store(CArchive& ar) const
{
    CStudyDefinition::Store(ar);
    ar << m_length << m_multiplier;
    StoreLines(ar);
    return true;
}

bool CKeltnerStudy::Load(CArchive& ar, int version)
{
    if (!CStudyDefinition::Load(ar, version))
        return false;
    ar >> m_length >> m_multiplier;
    LoadLines(ar);
    return true;
}
