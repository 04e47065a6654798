#include "studies/plots/CStudyPlotFactory.h"

#include "studies/CADStudy.h"
#include "studies/CADXStudy.h"
#include "studies/CAMAStudy.h"
#include "studies/CATRStudy.h"
#include "studies/CAroonStudy.h"
#include "studies/CBollingerStudy.h"
#include "studies/CCCIStudy.h"
#include "studies/CCMFStudy.h"
#include "studies/CChaikinOscStudy.h"
#include "studies/CChoppinessStudy.h"
#include "studies/CCustomStudy.h"
#include "studies/CDonchianStudy.h"
#include "studies/CEquityCurveStudy.h"
#include "studies/CHorizontalLineStudy.h"
#include "studies/CKeltnerStudy.h"
#include "studies/CMACDStudy.h"
#include "studies/CMAEnvelopeStudy.h"
#include "studies/CMFIStudy.h"
#include "studies/CMomentumStudy.h"
#include "studies/CMovingAverageStudy.h"
#include "studies/COBVStudy.h"
#include "studies/CParabolicSARStudy.h"
#include "studies/CROCStudy.h"
#include "studies/CRSIStudy.h"
#include "studies/CStochRSIStudy.h"
#include "studies/CStochasticStudy.h"
#include "studies/CTSFStudy.h"
#include "studies/CUltimateOscStudy.h"
#include "studies/CVolumeStudy.h"
#include "studies/plots/CCustomStudyPlot.h"
#include "studies/plots/StudyPlots.h"

#include <memory>

namespace {

// One line of a field with a legend row of that name (and the study's parameters).
CIndicatorPlot* SingleLine(const char* field, const char* legend, COLORREF color, int thickness,
                           bool withParams = true)
{
    auto plot = std::make_unique<CIndicatorPlot>();
    plot->AddLine(field, color, thickness);
    plot->AddLegend(legend, field, color, withParams);
    return plot.release();
}

// Bands with an optional middle line: the middle first, then both bands in one pen;
// legend rows "<prefix> Upp", "<prefix> Low" and "<prefix> Mid".
CIndicatorPlot* Bands(const char* prefix, const char* middleField, COLORREF bandColor, int bandThickness,
                      bool middle, COLORREF middleColor, int middleThickness)
{
    auto plot = std::make_unique<CIndicatorPlot>();
    if (middle)
        plot->AddLine(middleField, middleColor, middleThickness);
    plot->AddLine("Upper", bandColor, bandThickness);
    plot->AddLine("Lower", bandColor, bandThickness);
    plot->AddRangeFields("Lower", "Upper");
    plot->SetKindField("Upper");
    const CString p(prefix);
    plot->AddLegend(p + " Upp", "Upper", bandColor);
    plot->AddLegend(p + " Low", "Lower", bandColor);
    if (middle)
        plot->AddLegend(p + " Mid", middleField, middleColor);
    return plot.release();
}

// A line between two reference levels.
CIndicatorPlot* LevelLine(const char* field, const char* legend, COLORREF lineColor, int lineThickness,
                          COLORREF levelColor, int levelThickness, double lower, double upper)
{
    CIndicatorPlot* plot = SingleLine(field, legend, lineColor, lineThickness);
    plot->SetLevels(levelColor, levelThickness, {lower, upper});
    return plot;
}

} // namespace

void RegisterStudyPlots()
{
    static CStudyPlotFactory factory;
    if (!GetStudyPlotFactory())
        InstallStudyPlotFactory(&factory);
}

CStudyPlot* CStudyPlotFactory::CreatePlot(const CVolumeStudy& s)
{
    return new CVolumePlot(s.m_upColor, s.m_downColor, s.m_thickness, s.m_compareField);
}

CStudyPlot* CStudyPlotFactory::CreatePlot(const CADXStudy& s)
{
    auto plot = std::make_unique<CIndicatorPlot>();
    plot->SetLevels(s.m_bandColor, s.m_bandThickness, {static_cast<double>(s.m_bandValue)});
    if (s.m_bShowDI) {
        plot->AddLine("-DI", s.m_minusDIColor, s.m_diThickness);
        plot->AddLine("+DI", s.m_plusDIColor, s.m_diThickness);
    }
    plot->AddLine("ADX", s.m_adxColor, s.m_adxThickness);
    plot->SetKindField("ADX");
    plot->AddRangeFields("ADX", "ADX");
    plot->AddLegend("ADX", "ADX", s.m_adxColor);
    if (s.m_bShowDI) {
        plot->AddRangeFields("-DI", "-DI");
        plot->AddRangeFields("+DI", "+DI");
        plot->AddLegend("+DI", "+DI", s.m_plusDIColor);
        plot->AddLegend("-DI", "-DI", s.m_minusDIColor);
    }
    return plot.release();
}

CStudyPlot* CStudyPlotFactory::CreatePlot(const CBollingerStudy& s)
{
    return Bands("BB", "Basis", s.m_bandColor, s.m_bandThickness, s.m_bShowMiddle, s.m_middleColor,
                 s.m_middleThickness);
}

CStudyPlot* CStudyPlotFactory::CreatePlot(const CChoppinessStudy& s)
{
    return LevelLine("Chop", "Chop", s.m_lineColor, s.m_lineThickness, s.m_bandColor, s.m_bandThickness, s.m_lower,
                     s.m_upper);
}

CStudyPlot* CStudyPlotFactory::CreatePlot(const CMovingAverageStudy& s)
{
    const char* label = s.GetShortTypeName();
    return SingleLine(label, label, s.m_color, s.m_thickness);
}

CStudyPlot* CStudyPlotFactory::CreatePlot(const CMACDStudy& s)
{
    auto plot = std::make_unique<CMACDPlot>(s.m_macdColor, s.m_macdThickness, s.m_signalColor, s.m_signalThickness);
    if (s.m_bShowCentre)
        plot->SetZeroLinePen(s.m_centreColor, s.m_centreThickness);
    if (s.m_bShowHistogram)
        plot->SetHistogramColour(s.m_histogramColor);
    plot->SetLinesWithHistogram(s.m_bOverlay);
    return plot.release();
}

CStudyPlot* CStudyPlotFactory::CreatePlot(const CMomentumStudy& s)
{
    auto plot = std::make_unique<CMomentumPlot>("Momentum", s.m_params.lineColor, s.m_params.lineThickness);
    if (s.m_params.bShowCentre)
        plot->SetCentrePen(s.m_params.centreColor, s.m_params.centreThickness);
    return plot.release();
}

CStudyPlot* CStudyPlotFactory::CreatePlot(const CROCStudy& s)
{
    auto plot = std::make_unique<CMomentumPlot>("ROC", s.m_params.lineColor, s.m_params.lineThickness);
    if (s.m_params.bShowCentre)
        plot->SetCentrePen(s.m_params.centreColor, s.m_params.centreThickness);
    return plot.release();
}

CStudyPlot* CStudyPlotFactory::CreatePlot(const COBVStudy& s)
{
    return SingleLine("OBV", "OBV", s.m_color, s.m_thickness, false);
}

CStudyPlot* CStudyPlotFactory::CreatePlot(const CDonchianStudy& s)
{
    return Bands("DC", "Mid", s.m_channelColor, s.m_channelThickness, s.m_bShowMiddle, s.m_middleColor,
                 s.m_middleThickness);
}

CStudyPlot* CStudyPlotFactory::CreatePlot(const CRSIStudy& s)
{
    const CBandedLineParams& p = s.m_params;
    CIndicatorPlot* plot = LevelLine("RSI", "RSI", p.lineColor, p.lineThickness, p.bandColor, p.bandThickness, p.lower,
                                     p.upper);
    plot->SetFixedRange(0, 100);
    return plot;
}

CStudyPlot* CStudyPlotFactory::CreatePlot(const CStochasticStudy& s)
{
    auto plot = std::make_unique<CIndicatorPlot>();
    plot->SetLevels(s.m_bandColor, s.m_bandThickness, {static_cast<double>(s.m_lower), static_cast<double>(s.m_upper)});
    plot->AddLine("StocK", s.m_kColor, s.m_kThickness);
    plot->AddLine("StocD", s.m_dColor, s.m_dThickness);
    plot->SetFixedRange(0, 100);
    plot->AddLegend("%K", "StocK", s.m_kColor);
    plot->AddLegend("%D", "StocD", s.m_dColor);
    return plot.release();
}

CStudyPlot* CStudyPlotFactory::CreatePlot(const CKeltnerStudy& s)
{
    return Bands("KB", "Mid", s.m_bandColor, s.m_bandThickness, s.m_bShowMiddle, s.m_middleColor, s.m_middleThickness);
}

CStudyPlot* CStudyPlotFactory::CreatePlot(const CCCIStudy& s)
{
    const CBandedLineParams& p = s.m_params;
    return LevelLine("CCI", "CCI", p.lineColor, p.lineThickness, p.bandColor, p.bandThickness, p.lower, p.upper);
}

CStudyPlot* CStudyPlotFactory::CreatePlot(const CATRStudy& s)
{
    return SingleLine("ATR", "ATR", s.m_color, s.m_thickness);
}

CStudyPlot* CStudyPlotFactory::CreatePlot(const CMFIStudy& s)
{
    const CBandedLineParams& p = s.m_params;
    CIndicatorPlot* plot = LevelLine("MFI", "MFI", p.lineColor, p.lineThickness, p.bandColor, p.bandThickness, p.lower,
                                     p.upper);
    plot->SetFixedRange(0, 100);
    return plot;
}

CStudyPlot* CStudyPlotFactory::CreatePlot(const CStochRSIStudy& s)
{
    auto plot = std::make_unique<CIndicatorPlot>();
    plot->SetLevels(s.m_bandColor, s.m_bandThickness, {s.m_lower, s.m_upper});
    plot->AddLine("StocK", s.m_kColor, s.m_kThickness);
    plot->AddLine("StocD", s.m_dColor, s.m_dThickness);
    plot->SetFixedRange(0, 1.0);
    plot->AddLegend("SRSI %K", "StocK", s.m_kColor);
    plot->AddLegend("SRSI %D", "StocD", s.m_dColor);
    return plot.release();
}

CStudyPlot* CStudyPlotFactory::CreatePlot(const CCustomStudy& s)
{
    return new CCustomStudyPlot(s.m_color, s.m_thickness, s.m_nShowAs, s.m_nScaling, s.m_bShowAxisLabel,
                                s.m_bUseChartInterval);
}

CStudyPlot* CStudyPlotFactory::CreatePlot(const CChaikinOscStudy& s)
{
    return SingleLine("OSC", "ChOsc", s.m_color, s.m_thickness);
}

CStudyPlot* CStudyPlotFactory::CreatePlot(const CUltimateOscStudy& s)
{
    CIndicatorPlot* plot = LevelLine("OSC", "UltOsc", s.m_lineColor, s.m_lineThickness, s.m_bandColor,
                                     s.m_bandThickness, s.m_lower, s.m_upper);
    plot->SetFixedRange(0, 100);
    return plot;
}

CStudyPlot* CStudyPlotFactory::CreatePlot(const CParabolicSARStudy& s)
{
    return new CParabolicSARPlot(s.m_upColor, s.m_downColor, s.m_thickness);
}

CStudyPlot* CStudyPlotFactory::CreatePlot(const CMAEnvelopeStudy& s)
{
    return Bands("MAE", "MA", s.m_bandColor, s.m_bandThickness, s.m_bShowMiddle, s.m_middleColor, s.m_middleThickness);
}

CStudyPlot* CStudyPlotFactory::CreatePlot(const CADStudy& s)
{
    return SingleLine("AD", "A/D", s.m_color, s.m_thickness, false);
}

CStudyPlot* CStudyPlotFactory::CreatePlot(const CCMFStudy& s)
{
    CIndicatorPlot* plot = SingleLine("CMF", "CMF", s.m_lineColor, s.m_lineThickness);
    if (s.m_bShowCentre)
        plot->SetLevels(s.m_centreColor, s.m_centreThickness, {0.0});
    return plot;
}

CStudyPlot* CStudyPlotFactory::CreatePlot(const CAroonStudy& s)
{
    auto plot = std::make_unique<CIndicatorPlot>();
    plot->AddLine("Up", s.m_upColor, s.m_thickness);
    plot->AddLine("Down", s.m_downColor, s.m_thickness);
    plot->SetFixedRange(0, 100);
    plot->AddLegend("AroonUp", "Up", s.m_upColor);
    plot->AddLegend("AroonDn", "Down", s.m_downColor);
    return plot.release();
}

CStudyPlot* CStudyPlotFactory::CreatePlot(const CTSFStudy& s)
{
    return SingleLine("TSF", "TSF", s.m_color, s.m_thickness);
}

CStudyPlot* CStudyPlotFactory::CreatePlot(const CHorizontalLineStudy& s)
{
    return new CHorizontalLinePlot(s.m_color, s.m_thickness, s.m_value);
}

CStudyPlot* CStudyPlotFactory::CreatePlot(const CAMAStudy& s)
{
    return SingleLine("AMA", "AMA", s.m_color, s.m_thickness);
}

CStudyPlot* CStudyPlotFactory::CreatePlot(const CEquityCurveStudy& s)
{
    return new CEquityCurvePlot(s.m_color, s.m_thickness);
}
