#include "studies/CVolumeStudy.h"

#include "studies/IStudyPlotFactory.h"
#include "studies/StudyArchive.h"
#include "studies/StudyParams.h"

namespace {
// Layout versions from which the down colour, and the thickness and comparison field, are saved.
constexpr int kDownColorSavedFrom = 7;
constexpr int kThicknessSavedFrom = 9;
}  // namespace

CVolumeStudy::CVolumeStudy(const CString& symbolOverride) : CStudyDefinition(symbolOverride)
{
    SetKind(kStudyVolume, 170, true);
}

CString CVolumeStudy::GetCallText(const CString& chartSymbol, const CString& interval) const
{
    return KeySymbol(chartSymbol) + "," + interval;
}

CString CVolumeStudy::GetDisplayName() const
{
    return "Volume" + OverrideSuffix();
}

void CVolumeStudy::FillPriceFieldNames(CStringArray& names) const
{
    names.RemoveAll();
    names.Add("Open");
    names.Add("Prev. Close");
}

bool CVolumeStudy::ReadDialog(IStudyDialog& dlg)
{
    return ReadColor(dlg, m_upColor, kCtlColor1) && ReadColor(dlg, m_downColor, kCtlColor2) &&
           ReadThickness1(dlg, m_thickness) && ReadSource(dlg, m_compareField) &&
           ReadSymbolOverride(dlg, m_symbolOverride);
}

bool CVolumeStudy::FillDialog(IStudyDialog& dlg) const
{
    return WriteColor(dlg, kCtlColor1, m_upColor) && WriteColor(dlg, kCtlColor2, m_downColor) &&
           WriteInt(dlg, kCtlThickness1, m_thickness) && FillSourceCombo(dlg, m_compareField) &&
           WriteSymbolOverride(dlg, m_symbolOverride);
}

bool CVolumeStudy::Store(CArchive& ar) const
{
    CStudyDefinition::Store(ar);
    StoreColor(ar, m_upColor);
    StoreColor(ar, m_downColor);
    StoreInt(ar, m_thickness);
    ar << m_compareField;
    return true;
}

bool CVolumeStudy::Load(CArchive& ar, int version)
{
    if (!CStudyDefinition::Load(ar, version))
        return false;
    m_upColor = LoadColor(ar);
    m_downColor = version >= kDownColorSavedFrom ? LoadColor(ar) : m_upColor;
    if (version >= kThicknessSavedFrom) {
        m_thickness = LoadThickness(ar);
        ar >> m_compareField;
    } else {
        m_thickness = 1;
        m_compareField = "Open";
    }
    return true;
}

CStudyPlot* CVolumeStudy::CreatePlot() const
{
    return MakeStudyPlot(*this);
}

std::unique_ptr<CStudyDefinition> CVolumeStudy::Clone() const
{
    return std::make_unique<CVolumeStudy>(*this);
}

bool CVolumeStudy::IsEqual(const CStudyDefinition& other) const
{
    const auto* o = dynamic_cast<const CVolumeStudy*>(&other);
    return o && CStudyDefinition::IsEqual(other) && Fields() == o->Fields();
}
