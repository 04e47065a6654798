// A linear-regression channel between two bars: the least-squares line of the closes,
// with channels a number of standard deviations above and below it.
#pragma once

#include "chart/ui/CDrawingTool.h"
#include "common/services/CAppSettings.h"

class CRegressionTool : public CDrawingTool {
public:
    explicit CRegressionTool(const CRegressionSettings& settings);

    EToolTag GetTag() const override { return kTagRegression; }
    void Draw(CDC* dc, const CToolGeometry& geometry, const CPriceScale* scale) override;
    std::unique_ptr<CDrawingTool> CreateLike(CPoint p1, CPoint p2, DWORD state, const CToolGeometry& geometry,
                                             const CPriceScale* scale) const override;
    int GetThickness() const override { return m_settings.lineThickness; }
    COLORREF GetColor() const override { return m_settings.lineColor; }
    bool EditPreferences(CPropertySheet& sheet) override;
    bool HitTest(CPoint point, const CToolGeometry& geometry, const CPriceScale* scale) override;
    void ToStored(CStoredTool& stored) const override;
    void FromStored(const CStoredTool& stored) override;
    void AddMenuItems(CMenu& menu) override;
    // A formula alert on the regression line, as for a segment.
    int AddAlerts(const CToolGeometry& geometry, const CPriceScale* scale) override;

    // Moves the anchors onto the regression line; the channel offsets in price.
    void Fit(double& upperOffset, double& lowerOffset);

    CRegressionSettings m_settings;
};
