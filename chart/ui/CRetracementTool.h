// Retracement levels between two anchors: an anchor line and up to eight horizontal
// levels at percentages of the anchors' price range, each able to carry a price alert.
#pragma once

#include "chart/ui/CDrawingTool.h"
#include "common/services/CAppSettings.h"

class CRetracementTool : public CDrawingTool {
public:
    explicit CRetracementTool(const CRetracementSettings& settings);

    EToolTag GetTag() const override { return kTagRetracement; }
    void Draw(CDC* dc, const CToolGeometry& geometry, const CPriceScale* scale) override;
    std::unique_ptr<CDrawingTool> CreateLike(CPoint p1, CPoint p2, DWORD state, const CToolGeometry& geometry,
                                             const CPriceScale* scale) const override;
    int GetThickness() const override { return m_settings.anchorThickness; }
    COLORREF GetColor() const override { return m_settings.anchorColor; }
    bool EditPreferences(CPropertySheet& sheet) override;
    // Inside the rectangle spanned by the anchors, edges included.
    bool HitTest(CPoint point, const CToolGeometry& geometry, const CPriceScale* scale) override;
    void ToStored(CStoredTool& stored) const override;
    void FromStored(const CStoredTool& stored) override;
    void AddMenuItems(CMenu& menu) override;
    int AddAlerts(const CToolGeometry& geometry, const CPriceScale* scale) override;

    // The price of level i as drawn.
    double LevelPrice(int level, const CToolGeometry& geometry, const CPriceScale* scale) const;
    // The label of a level: percent, price or both by the display bits.
    CString LevelLabel(int level, double price) const;

    CRetracementSettings m_settings;
};
