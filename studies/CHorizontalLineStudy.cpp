#include "studies/CHorizontalLineStudy.h"

#include "studies/IStudyPlotFactory.h"
#include "studies/StudyArchive.h"
#include "studies/StudyParams.h"

CHorizontalLineStudy::CHorizontalLineStudy() : CStudyDefinition(CString())
{
    SetKind(kStudyHorizontalLine, 275, false);
}

CString CHorizontalLineStudy::GetCallText(const CString& chartSymbol, const CString& interval) const
{
    return chartSymbol + "," + interval;
}

CStudyPlot* CHorizontalLineStudy::CreatePlot() const
{
    return MakeStudyPlot(*this);
}

std::unique_ptr<CStudyDefinition> CHorizontalLineStudy::Clone() const
{
    return std::make_unique<CHorizontalLineStudy>(*this);
}

CString CHorizontalLineStudy::GetDisplayName() const
{
    CString text;
    text.Format("Line (%g)", m_value);
    return text;
}

bool CHorizontalLineStudy::ReadDialog(IStudyDialog& dlg)
{
    return ReadRealUnbounded(dlg, m_value, kCtlRealUpper, "Line Value", 0.0) &&
           ReadColor(dlg, m_color, kCtlColor1) && ReadThickness1(dlg, m_thickness);
}

bool CHorizontalLineStudy::FillDialog(IStudyDialog& dlg) const
{
    return WriteDouble(dlg, kCtlRealUpper, m_value) && WriteColor(dlg, kCtlColor1, m_color) &&
           WriteInt(dlg, kCtlThickness1, m_thickness);
}

bool CHorizontalLineStudy::IsEqual(const CStudyDefinition& other) const
{
    const auto* o = dynamic_cast<const CHorizontalLineStudy*>(&other);
    return o && CStudyDefinition::IsEqual(other) && Fields() == o->Fields();
}

bool CHorizontalLineStudy::Store(CArchive& ar) const
{
    CStudyDefinition::Store(ar);
    ar << m_value;
    StoreColor(ar, m_color);
    StoreInt(ar, m_thickness);
    return true;
}

bool CHorizontalLineStudy::Load(CArchive& ar, int version)
{
    if (!CStudyDefinition::Load(ar, version))
        return false;
    ar >> m_value;
    m_color = LoadColor(ar);
    m_thickness = LoadThickness(ar);
    return true;
}
