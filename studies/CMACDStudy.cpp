#include "studies/CMACDStudy.h"

#include "studies/IStudyPlotFactory.h"
#include "studies/StudyArchive.h"
#include "studies/StudyParams.h"

CMACDStudy::CMACDStudy(const CString& symbolOverride) : CStudyDefinition(symbolOverride)
{
    SetKind(kStudyMACD, 158, true);
}

CString CMACDStudy::GetCallText(const CString& chartSymbol, const CString& interval) const
{
    return "MACD(" + KeySymbol(chartSymbol) + "," + m_source + "," + m_length1 + "," + m_length2 + "," + m_smoothing +
           ")," + interval;
}

CString CMACDStudy::GetDisplayName() const
{
    return "MACD (" + OverridePrefix() + m_source + "," + m_length1 + "," + m_length2 + "," + m_smoothing + ")";
}

CString CMACDStudy::GetParamText() const
{
    return "(" + m_length1 + "," + m_length2 + "," + m_smoothing + ")";
}

bool CMACDStudy::ReadDialog(IStudyDialog& dlg)
{
    return ReadSource(dlg, m_source) && ReadLength(dlg, m_length1) && ReadLength2(dlg, m_length2) &&
           ReadSmoothing(dlg, m_smoothing) && ReadColor(dlg, m_macdColor, kCtlColor1) &&
           ReadThickness1(dlg, m_macdThickness) && ReadColor(dlg, m_signalColor, kCtlColor2) &&
           ReadThickness2(dlg, m_signalThickness) && ReadColor(dlg, m_centreColor, kCtlColor3) &&
           ReadThickness3(dlg, m_centreThickness) && ReadCheck(dlg, m_bShowCentre, kCtlCheck1) &&
           ReadColor(dlg, m_histogramColor, kCtlColor4) && ReadCheck(dlg, m_bShowHistogram, kCtlCheck2) &&
           ReadCheck(dlg, m_bOverlay, kCtlCheck3) && ReadSymbolOverride(dlg, m_symbolOverride);
}

bool CMACDStudy::FillDialog(IStudyDialog& dlg) const
{
    return FillSourceCombo(dlg, m_source) && WriteText(dlg, kCtlLength, m_length1) &&
           WriteText(dlg, kCtlLength2, m_length2) && WriteText(dlg, kCtlSmoothing, m_smoothing) &&
           WriteColor(dlg, kCtlColor1, m_macdColor) && WriteInt(dlg, kCtlThickness1, m_macdThickness) &&
           WriteColor(dlg, kCtlColor2, m_signalColor) && WriteInt(dlg, kCtlThickness2, m_signalThickness) &&
           WriteColor(dlg, kCtlColor3, m_centreColor) && WriteInt(dlg, kCtlThickness3, m_centreThickness) &&
           WriteCheck(dlg, kCtlCheck1, m_bShowCentre) && WriteColor(dlg, kCtlColor4, m_histogramColor) &&
           WriteCheck(dlg, kCtlCheck2, m_bShowHistogram) && WriteCheck(dlg, kCtlCheck3, m_bOverlay) &&
           WriteSymbolOverride(dlg, m_symbolOverride);
}

bool CMACDStudy::SetParameters(const CStringArray& args)
{
    if (args.GetSize() < 4)
        return false;
    m_source = GetCallArgument(args, 0);
    m_length1 = GetCallArgument(args, 1);
    m_length2 = GetCallArgument(args, 2);
    m_smoothing = GetCallArgument(args, 3);
    return true;
}

bool CMACDStudy::Store(CArchive& ar) const
{
    CStudyDefinition::Store(ar);
    ar << m_length1 << m_length2 << m_smoothing << m_source;
    StoreColor(ar, m_macdColor);
    StoreInt(ar, m_macdThickness);
    StoreColor(ar, m_signalColor);
    StoreInt(ar, m_signalThickness);
    StoreColor(ar, m_centreColor);
    StoreInt(ar, m_centreThickness);
    StoreFlag(ar, m_bShowCentre);
    StoreColor(ar, m_histogramColor);
    StoreFlag(ar, m_bShowHistogram);
    StoreFlag(ar, m_bOverlay);
    return true;
}

bool CMACDStudy::Load(CArchive& ar, int version)
{
    if (!CStudyDefinition::Load(ar, version))
        return false;
    ar >> m_length1 >> m_length2 >> m_smoothing >> m_source;
    m_macdColor = LoadColor(ar);
    m_macdThickness = LoadThickness(ar);
    m_signalColor = LoadColor(ar);
    m_signalThickness = LoadThickness(ar);
    m_centreColor = LoadColor(ar);
    m_centreThickness = LoadThickness(ar);
    m_bShowCentre = LoadFlag(ar);
    m_histogramColor = LoadColor(ar);
    m_bShowHistogram = LoadFlag(ar);
    m_bOverlay = LoadFlag(ar);
    return true;
}

CStudyPlot* CMACDStudy::CreatePlot() const
{
    return MakeStudyPlot(*this);
}

std::unique_ptr<CStudyDefinition> CMACDStudy::Clone() const
{
    return std::make_unique<CMACDStudy>(*this);
}

bool CMACDStudy::IsEqual(const CStudyDefinition& other) const
{
    const auto* o = dynamic_cast<const CMACDStudy*>(&other);
    return o && CStudyDefinition::IsEqual(other) && Fields() == o->Fields();
}
