#include "studies/CMovingAverageStudy.h"

#include "studies/IStudyDialog.h"
#include "studies/IStudyPlotFactory.h"
#include "studies/StudyArchive.h"
#include "studies/StudyParams.h"

namespace {
constexpr const char* kLongNames[] = {"Simple Moving Average",  "Exponential Moving Average",
                                      "Weighted Moving Average", "Volume Weighted MA",
                                      "Double Exponential MA",  "Triple Exponential MA"};
constexpr const char* kShortNames[] = {"MA", "EMA", "WMA", "VWMA", "DEMA", "TEMA"};
// Radio buttons of the types, in type order.
constexpr int kTypeButtons[] = {1322, 1323, 1325, 1326, 1331, 1332};
// The first version whose saved form carries the MA type.
constexpr int kTypeSavedFrom = 11;
}  // namespace

CMovingAverageStudy::CMovingAverageStudy(const CString& symbolOverride, int maType)
    : CPriceLineStudy(symbolOverride), m_nMAType(maType)
{
    SetKind(kStudyMovingAverage, 156, false);
}

int CMovingAverageStudy::EffectiveType() const
{
    return m_nMAType >= 0 && m_nMAType < kMATypeCount ? m_nMAType : kSimple;
}

const char* CMovingAverageStudy::GetLongTypeName() const
{
    return kLongNames[EffectiveType()];
}

const char* CMovingAverageStudy::GetShortTypeName() const
{
    return kShortNames[EffectiveType()];
}

int CMovingAverageStudy::TypeFromShortName(const CString& name)
{
    for (int i = 0; i < kMATypeCount; ++i) {
        if (name == kShortNames[i])
            return i;
    }
    return kSimple;
}

CString CMovingAverageStudy::GetCallText(const CString& chartSymbol, const CString& interval) const
{
    // Weighted and volume-weighted averages are outputs of the "MA" computation.
    const int type = EffectiveType();
    const char* key = type == kExponential          ? "EMA"
                      : type == kDoubleExponential  ? "DEMA"
                      : type == kTripleExponential  ? "TEMA"
                                                    : "MA";
    return CString(key) + "(" + KeySymbol(chartSymbol) + "," + m_source + "," + m_length + "," + m_offset + ")," +
           interval;
}

CStudyPlot* CMovingAverageStudy::CreatePlot() const
{
    return MakeStudyPlot(*this);
}

std::unique_ptr<CStudyDefinition> CMovingAverageStudy::Clone() const
{
    return std::make_unique<CMovingAverageStudy>(*this);
}

CString CMovingAverageStudy::GetDisplayName() const
{
    return CString(GetLongTypeName()) + " (" + OverridePrefix() + m_source + "," + m_length + "," + m_offset + ")";
}

bool CMovingAverageStudy::ReadDialog(IStudyDialog& dlg)
{
    // No type chosen: the dialog stays open without a message.
    int type = -1;
    for (int i = 0; i < kMATypeCount && type < 0; ++i) {
        if (dlg.IsChecked(kTypeButtons[i]))
            type = i;
    }
    if (type < 0)
        return false;
    m_nMAType = type;
    return CPriceLineStudy::ReadDialog(dlg);
}

bool CMovingAverageStudy::FillDialog(IStudyDialog& dlg) const
{
    const int type = EffectiveType();
    for (int i = 0; i < kMATypeCount; ++i)
        dlg.SetChecked(kTypeButtons[i], i == type);
    return CPriceLineStudy::FillDialog(dlg);
}

bool CMovingAverageStudy::IsEqual(const CStudyDefinition& other) const
{
    const auto* o = dynamic_cast<const CMovingAverageStudy*>(&other);
    return o && CPriceLineStudy::IsEqual(other) && m_nMAType == o->m_nMAType;
}

bool CMovingAverageStudy::Store(CArchive& ar) const
{
    // The type sits between the override and the line's fields.
    CStudyDefinition::Store(ar);
    StoreInt(ar, m_nMAType);
    StoreLine(ar);
    return true;
}

bool CMovingAverageStudy::Load(CArchive& ar, int version)
{
    if (!CStudyDefinition::Load(ar, version))
        return false;
    if (version >= kTypeSavedFrom)
        m_nMAType = LoadInt(ar);
    LoadLine(ar);
    return true;
}
