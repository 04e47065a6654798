#include "studies/CEquityCurveStudy.h"

#include "studies/IStudyPlotFactory.h"
#include "studies/StudyArchive.h"
#include "studies/StudyParams.h"

CEquityCurveStudy::CEquityCurveStudy() : CStudyDefinition(CString())
{
    SetKind(kStudyEquityCurve, 279, true);
}

CString CEquityCurveStudy::GetCallText(const CString& chartSymbol, const CString& interval) const
{
    return "EQTY(" + chartSymbol + ")," + interval;
}

CString CEquityCurveStudy::GetDisplayName() const
{
    return "Equity Curve";
}

bool CEquityCurveStudy::ReadDialog(IStudyDialog& dlg)
{
    return ReadColor(dlg, m_color, kCtlColor1) && ReadThickness1(dlg, m_thickness);
}

bool CEquityCurveStudy::FillDialog(IStudyDialog& dlg) const
{
    return WriteColor(dlg, kCtlColor1, m_color) && WriteInt(dlg, kCtlThickness1, m_thickness);
}

bool CEquityCurveStudy::Store(CArchive& ar) const
{
    CStudyDefinition::Store(ar);
    StoreColor(ar, m_color);
    StoreInt(ar, m_thickness);
    return true;
}

bool CEquityCurveStudy::Load(CArchive& ar, int version)
{
    if (!CStudyDefinition::Load(ar, version))
        return false;
    m_color = LoadColor(ar);
    m_thickness = LoadThickness(ar);
    return true;
}

CStudyPlot* CEquityCurveStudy::CreatePlot() const
{
    return MakeStudyPlot(*this);
}

std::unique_ptr<CStudyDefinition> CEquityCurveStudy::Clone() const
{
    return std::make_unique<CEquityCurveStudy>(*this);
}

bool CEquityCurveStudy::IsEqual(const CStudyDefinition& other) const
{
    const auto* o = dynamic_cast<const CEquityCurveStudy*>(&other);
    return o && CStudyDefinition::IsEqual(other) && Fields() == o->Fields();
}
