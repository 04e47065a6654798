#include "studies/CCustomStudy.h"

#include "studies/IStudyDialog.h"
#include "studies/IStudyPlotFactory.h"
#include "studies/StudyArchive.h"
#include "studies/StudyParams.h"

namespace {
// Radio buttons of the two groups, in the order of their values' meaning.
constexpr int kRadioShowLine = 1216;
constexpr int kRadioShowHistogram = 1217;
constexpr int kRadioShowLastValue = 1218;
constexpr int kRadioScaleNormal = 1219;
constexpr int kRadioScaleExcluded = 1220;
constexpr int kRadioScaleToOthers = 1221;
// Layout version from which the scaling and the two switches are saved.
constexpr int kOptionsSavedFrom = 4;

bool HasGroup(const IStudyDialog& dlg, int first)
{
    return dlg.HasControl(first) && dlg.HasControl(first + 1) && dlg.HasControl(first + 2);
}
}  // namespace

CCustomStudy::CCustomStudy(const CString& symbolOverride) : CStudyDefinition(symbolOverride)
{
    SetKind(kStudyCustom, 171, true);
}

CString CCustomStudy::GetCallText(const CString&, const CString&) const
{
    return CString();
}

CStudyPlot* CCustomStudy::CreatePlot() const
{
    return MakeStudyPlot(*this);
}

std::unique_ptr<CStudyDefinition> CCustomStudy::Clone() const
{
    return std::make_unique<CCustomStudy>(*this);
}

CString CCustomStudy::GetDisplayName() const
{
    return m_symbolOverride.IsEmpty() ? m_studyName : m_studyName + "(" + m_symbolOverride + ")";
}

CString CCustomStudy::GetFormulaText(CString& symbol) const
{
    if (!m_symbolOverride.IsEmpty())
        symbol = m_symbolOverride;
    return m_formula;
}

bool CCustomStudy::ReadDialog(IStudyDialog& dlg)
{
    if (!ReadColor(dlg, m_color, kCtlColor1) || !ReadThickness1(dlg, m_thickness))
        return false;
    if (!HasGroup(dlg, kRadioShowLine))
        return false;
    m_nShowAs = dlg.IsChecked(kRadioShowHistogram)   ? kShowHistogram
                : dlg.IsChecked(kRadioShowLastValue) ? kShowLastValueLine
                                                     : kShowLine;
    if (!HasGroup(dlg, kRadioScaleNormal))
        return false;
    m_nScaling = dlg.IsChecked(kRadioScaleExcluded)   ? kScaleExcluded
                 : dlg.IsChecked(kRadioScaleToOthers) ? kScaleToOthers
                                                      : kScaleNormal;
    return ReadCheck(dlg, m_bShowAxisLabel, kCtlCheck1) && ReadCheck(dlg, m_bUseChartInterval, kCtlCheck2) &&
           ReadSymbolOverride(dlg, m_symbolOverride);
}

bool CCustomStudy::FillDialog(IStudyDialog& dlg) const
{
    if (!WriteColor(dlg, kCtlColor1, m_color) || !WriteInt(dlg, kCtlThickness1, m_thickness))
        return false;
    dlg.SetChecked(kRadioShowLine, m_nShowAs != kShowHistogram && m_nShowAs != kShowLastValueLine);
    dlg.SetChecked(kRadioShowHistogram, m_nShowAs == kShowHistogram);
    dlg.SetChecked(kRadioShowLastValue, m_nShowAs == kShowLastValueLine);
    if (!WriteText(dlg, kCtlStudyName, m_studyName) || !WriteText(dlg, kCtlFormula, m_formula))
        return false;
    dlg.SetChecked(kRadioScaleNormal, m_nScaling != kScaleExcluded && m_nScaling != kScaleToOthers);
    dlg.SetChecked(kRadioScaleExcluded, m_nScaling == kScaleExcluded);
    dlg.SetChecked(kRadioScaleToOthers, m_nScaling == kScaleToOthers);
    return WriteCheck(dlg, kCtlCheck1, m_bShowAxisLabel) && WriteCheck(dlg, kCtlCheck2, m_bUseChartInterval) &&
           WriteSymbolOverride(dlg, m_symbolOverride);
}

bool CCustomStudy::IsEqual(const CStudyDefinition& other) const
{
    const auto* o = dynamic_cast<const CCustomStudy*>(&other);
    return o && CStudyDefinition::IsEqual(other) && Fields() == o->Fields();
}

bool CCustomStudy::Store(CArchive& ar) const
{
    CStudyDefinition::Store(ar);
    StoreColor(ar, m_color);
    StoreInt(ar, m_thickness);
    StoreInt(ar, m_nShowAs);
    StoreInt(ar, m_nScaling);
    StoreFlag(ar, m_bShowAxisLabel);
    StoreFlag(ar, m_bUseChartInterval);
    ar << m_formula << m_studyName;
    StoreInt(ar, m_nCustomIndex);
    return true;
}

bool CCustomStudy::Load(CArchive& ar, int version)
{
    if (!CStudyDefinition::Load(ar, version))
        return false;
    m_color = LoadColor(ar);
    m_thickness = LoadThickness(ar);
    m_nShowAs = LoadInt(ar);
    if (version >= kOptionsSavedFrom) {
        m_nScaling = LoadInt(ar);
        m_bShowAxisLabel = LoadFlag(ar);
        m_bUseChartInterval = LoadFlag(ar);
    } else {
        m_nScaling = kScaleNormal;
        m_bShowAxisLabel = true;
        m_bUseChartInterval = false;
    }
    ar >> m_formula >> m_studyName;
    m_nCustomIndex = LoadInt(ar);
    // Choices a damaged layout may hold are read as the dialog reads an unchecked group.
    if (m_nShowAs < kShowLine || m_nShowAs > kShowLastValueLine)
        m_nShowAs = kShowLine;
    if (m_nScaling < kScaleExcluded || m_nScaling > kScaleToOthers)
        m_nScaling = kScaleNormal;
    return true;
}
