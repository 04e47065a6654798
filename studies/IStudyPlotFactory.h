// Makes the plot of each study class. The chart installs its factory; the study's
// CreatePlot hands itself to it, and the factory reads the study's fields (colours,
// thicknesses, switches) to build the matching plot. Without an installed factory no
// plot is made.
#pragma once

class CStudyPlot;
class CVolumeStudy;
class CADXStudy;
class CBollingerStudy;
class CChoppinessStudy;
class CMovingAverageStudy;
class CMACDStudy;
class CMomentumStudy;
class CROCStudy;
class COBVStudy;
class CDonchianStudy;
class CRSIStudy;
class CStochasticStudy;
class CKeltnerStudy;
class CCCIStudy;
class CATRStudy;
class CMFIStudy;
class CStochRSIStudy;
class CCustomStudy;
class CChaikinOscStudy;
class CUltimateOscStudy;
class CParabolicSARStudy;
class CMAEnvelopeStudy;
class CADStudy;
class CCMFStudy;
class CAroonStudy;
class CTSFStudy;
class CHorizontalLineStudy;
class CAMAStudy;
class CEquityCurveStudy;

// Each operation returns a new plot owned by the caller, or null.
class IStudyPlotFactory {
public:
    virtual ~IStudyPlotFactory() = default;

    virtual CStudyPlot* CreatePlot(const CVolumeStudy& study) = 0;
    virtual CStudyPlot* CreatePlot(const CADXStudy& study) = 0;
    // With the middle line when the study shows it, else the bands only (the same holds
    // for Donchian Channels and Keltner Bands).
    virtual CStudyPlot* CreatePlot(const CBollingerStudy& study) = 0;
    virtual CStudyPlot* CreatePlot(const CChoppinessStudy& study) = 0;
    // Draws the output named by the study's short type name.
    virtual CStudyPlot* CreatePlot(const CMovingAverageStudy& study) = 0;
    virtual CStudyPlot* CreatePlot(const CMACDStudy& study) = 0;
    virtual CStudyPlot* CreatePlot(const CMomentumStudy& study) = 0;
    virtual CStudyPlot* CreatePlot(const CROCStudy& study) = 0;
    virtual CStudyPlot* CreatePlot(const COBVStudy& study) = 0;
    virtual CStudyPlot* CreatePlot(const CDonchianStudy& study) = 0;
    virtual CStudyPlot* CreatePlot(const CRSIStudy& study) = 0;
    virtual CStudyPlot* CreatePlot(const CStochasticStudy& study) = 0;
    virtual CStudyPlot* CreatePlot(const CKeltnerStudy& study) = 0;
    virtual CStudyPlot* CreatePlot(const CCCIStudy& study) = 0;
    virtual CStudyPlot* CreatePlot(const CATRStudy& study) = 0;
    virtual CStudyPlot* CreatePlot(const CMFIStudy& study) = 0;
    virtual CStudyPlot* CreatePlot(const CStochRSIStudy& study) = 0;
    virtual CStudyPlot* CreatePlot(const CCustomStudy& study) = 0;
    virtual CStudyPlot* CreatePlot(const CChaikinOscStudy& study) = 0;
    virtual CStudyPlot* CreatePlot(const CUltimateOscStudy& study) = 0;
    virtual CStudyPlot* CreatePlot(const CParabolicSARStudy& study) = 0;
    virtual CStudyPlot* CreatePlot(const CMAEnvelopeStudy& study) = 0;
    virtual CStudyPlot* CreatePlot(const CADStudy& study) = 0;
    virtual CStudyPlot* CreatePlot(const CCMFStudy& study) = 0;
    virtual CStudyPlot* CreatePlot(const CAroonStudy& study) = 0;
    virtual CStudyPlot* CreatePlot(const CTSFStudy& study) = 0;
    virtual CStudyPlot* CreatePlot(const CHorizontalLineStudy& study) = 0;
    virtual CStudyPlot* CreatePlot(const CAMAStudy& study) = 0;
    virtual CStudyPlot* CreatePlot(const CEquityCurveStudy& study) = 0;
};

// The process-wide factory (null until the chart installs one; the caller keeps it alive).
void InstallStudyPlotFactory(IStudyPlotFactory* factory);
IStudyPlotFactory* GetStudyPlotFactory();

// The plot of a study through the installed factory, or null without one.
template <class Study>
CStudyPlot* MakeStudyPlot(const Study& study)
{
    IStudyPlotFactory* factory = GetStudyPlotFactory();
    return factory ? factory->CreatePlot(study) : nullptr;
}
