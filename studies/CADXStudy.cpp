#include "studies/CADXStudy.h"

#include "studies/IStudyPlotFactory.h"
#include "studies/StudyArchive.h"
#include "studies/StudyParams.h"

namespace {
// Layout version from which the band colour, thickness and value are saved.
constexpr int kBandSavedFrom = 10;
}  // namespace

CADXStudy::CADXStudy(const CString& symbolOverride) : CStudyDefinition(symbolOverride)
{
    SetKind(kStudyADX, 165, true);
}

CString CADXStudy::GetCallText(const CString& chartSymbol, const CString& interval) const
{
    return "ADX(" + KeySymbol(chartSymbol) + "," + m_length + "," + m_smoothing + ")," + interval;
}

CString CADXStudy::GetDisplayName() const
{
    return "Directional Movement (" + OverridePrefix() + m_length + "," + m_smoothing + ")";
}

CString CADXStudy::GetParamText() const
{
    return "(" + m_length + "," + m_smoothing + ")";
}

bool CADXStudy::ReadDialog(IStudyDialog& dlg)
{
    // The band value is read by the lower-band reader.
    return ReadLength(dlg, m_length) && ReadSmoothing(dlg, m_smoothing) &&
           ReadColor(dlg, m_minusDIColor, kCtlColor1) && ReadColor(dlg, m_plusDIColor, kCtlColor2) &&
           ReadThickness1(dlg, m_diThickness) && ReadCheck(dlg, m_bShowDI, kCtlCheck1) &&
           ReadColor(dlg, m_adxColor, kCtlColor3) && ReadThickness2(dlg, m_adxThickness) &&
           ReadSymbolOverride(dlg, m_symbolOverride) && ReadColor(dlg, m_bandColor, kCtlColor4) &&
           ReadThickness3(dlg, m_bandThickness) && ReadLowerBand(dlg, m_bandValue);
}

bool CADXStudy::FillDialog(IStudyDialog& dlg) const
{
    return WriteText(dlg, kCtlLength, m_length) && WriteText(dlg, kCtlSmoothing, m_smoothing) &&
           WriteColor(dlg, kCtlColor1, m_minusDIColor) && WriteColor(dlg, kCtlColor2, m_plusDIColor) &&
           WriteInt(dlg, kCtlThickness1, m_diThickness) && WriteCheck(dlg, kCtlCheck1, m_bShowDI) &&
           WriteColor(dlg, kCtlColor3, m_adxColor) && WriteInt(dlg, kCtlThickness2, m_adxThickness) &&
           WriteSymbolOverride(dlg, m_symbolOverride) && WriteColor(dlg, kCtlColor4, m_bandColor) &&
           WriteInt(dlg, kCtlThickness3, m_bandThickness) && WriteInt(dlg, kCtlLowerBand, m_bandValue);
}

bool CADXStudy::SetParameters(const CStringArray& args)
{
    if (args.GetSize() < 2)
        return false;
    m_length = GetCallArgument(args, 0);
    m_smoothing = GetCallArgument(args, 1);
    return true;
}

bool CADXStudy::Store(CArchive& ar) const
{
    CStudyDefinition::Store(ar);
    ar << m_length << m_smoothing;
    StoreColor(ar, m_adxColor);
    StoreInt(ar, m_adxThickness);
    StoreColor(ar, m_minusDIColor);
    StoreColor(ar, m_plusDIColor);
    StoreInt(ar, m_diThickness);
    StoreFlag(ar, m_bShowDI);
    StoreColor(ar, m_bandColor);
    StoreInt(ar, m_bandThickness);
    StoreInt(ar, m_bandValue);
    return true;
}

bool CADXStudy::Load(CArchive& ar, int version)
{
    if (!CStudyDefinition::Load(ar, version))
        return false;
    ar >> m_length >> m_smoothing;
    m_adxColor = LoadColor(ar);
    m_adxThickness = LoadThickness(ar);
    m_minusDIColor = LoadColor(ar);
    m_plusDIColor = LoadColor(ar);
    m_diThickness = LoadThickness(ar);
    m_bShowDI = LoadFlag(ar);
    if (version >= kBandSavedFrom) {
        m_bandColor = LoadColor(ar);
        m_bandThickness = LoadThickness(ar);
        m_bandValue = LoadInt(ar);
    }
    return true;
}

CStudyPlot* CADXStudy::CreatePlot() const
{
    return MakeStudyPlot(*this);
}

std::unique_ptr<CStudyDefinition> CADXStudy::Clone() const
{
    return std::make_unique<CADXStudy>(*this);
}

bool CADXStudy::IsEqual(const CStudyDefinition& other) const
{
    const auto* o = dynamic_cast<const CADXStudy*>(&other);
    return o && CStudyDefinition::IsEqual(other) && Fields() == o->Fields();
}
