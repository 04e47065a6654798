// Makes the plot of every study class from the study's colours, thicknesses, levels and
// switches. The chart installs one for the whole program (InstallStudyPlotFactory).
#pragma once

#include "studies/IStudyPlotFactory.h"

class CStudyPlotFactory : public IStudyPlotFactory {
public:
    CStudyPlot* CreatePlot(const CVolumeStudy& study) override;
    CStudyPlot* CreatePlot(const CADXStudy& study) override;
    CStudyPlot* CreatePlot(const CBollingerStudy& study) override;
    CStudyPlot* CreatePlot(const CChoppinessStudy& study) override;
    CStudyPlot* CreatePlot(const CMovingAverageStudy& study) override;
    CStudyPlot* CreatePlot(const CMACDStudy& study) override;
    CStudyPlot* CreatePlot(const CMomentumStudy& study) override;
    CStudyPlot* CreatePlot(const CROCStudy& study) override;
    CStudyPlot* CreatePlot(const COBVStudy& study) override;
    CStudyPlot* CreatePlot(const CDonchianStudy& study) override;
    CStudyPlot* CreatePlot(const CRSIStudy& study) override;
    CStudyPlot* CreatePlot(const CStochasticStudy& study) override;
    CStudyPlot* CreatePlot(const CKeltnerStudy& study) override;
    CStudyPlot* CreatePlot(const CCCIStudy& study) override;
    CStudyPlot* CreatePlot(const CATRStudy& study) override;
    CStudyPlot* CreatePlot(const CMFIStudy& study) override;
    CStudyPlot* CreatePlot(const CStochRSIStudy& study) override;
    CStudyPlot* CreatePlot(const CCustomStudy& study) override;
    CStudyPlot* CreatePlot(const CChaikinOscStudy& study) override;
    CStudyPlot* CreatePlot(const CUltimateOscStudy& study) override;
    CStudyPlot* CreatePlot(const CParabolicSARStudy& study) override;
    CStudyPlot* CreatePlot(const CMAEnvelopeStudy& study) override;
    CStudyPlot* CreatePlot(const CADStudy& study) override;
    CStudyPlot* CreatePlot(const CCMFStudy& study) override;
    CStudyPlot* CreatePlot(const CAroonStudy& study) override;
    CStudyPlot* CreatePlot(const CTSFStudy& study) override;
    CStudyPlot* CreatePlot(const CHorizontalLineStudy& study) override;
    CStudyPlot* CreatePlot(const CAMAStudy& study) override;
    CStudyPlot* CreatePlot(const CEquityCurveStudy& study) override;
};

// Installs the program's factory (once; later calls do nothing).
void RegisterStudyPlots();
