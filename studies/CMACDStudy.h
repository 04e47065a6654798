// MACD with its signal line, centre line and difference histogram.
#pragma once

#include "studies/CStudyDefinition.h"

#include <tuple>

class CMACDStudy : public CStudyDefinition {
public:
    explicit CMACDStudy(const CString& symbolOverride = CString());

    CString GetCallText(const CString& chartSymbol, const CString& interval) const override;
    CStudyPlot* CreatePlot() const override;
    std::unique_ptr<CStudyDefinition> Clone() const override;
    CString GetDisplayName() const override;
    CString GetParamText() const override;
    bool ReadDialog(IStudyDialog& dlg) override;
    bool FillDialog(IStudyDialog& dlg) const override;
    bool SetParameters(const CStringArray& args) override;
    bool IsEqual(const CStudyDefinition& other) const override;
    bool Store(CArchive& ar) const override;
    bool Load(CArchive& ar, int version) override;

    CString m_source = "Close";
    CString m_length1 = "12";
    CString m_length2 = "26";
    CString m_smoothing = "9";
    COLORREF m_macdColor = RGB(0, 0, 255);
    COLORREF m_signalColor = RGB(255, 0, 0);
    COLORREF m_centreColor = RGB(0, 0, 0);
    COLORREF m_histogramColor = RGB(255, 0, 255);
    int m_macdThickness = 1;
    int m_signalThickness = 1;
    int m_centreThickness = 1;
    bool m_bShowCentre = true;
    bool m_bShowHistogram = true;
    bool m_bOverlay = true;

private:
    auto Fields() const { return std::tie(m_source, m_length1, m_length2, m_smoothing, m_macdColor, m_signalColor, m_centreColor,
                        m_histogramColor, m_macdThickness, m_signalThickness, m_centreThickness, m_bShowCentre,
                        m_bShowHistogram, m_bOverlay); }
};
