// The line tools: a segment between its anchors, a ray from the first through the
// second to the pane's edge, and a line edge to edge. Each can become a formula alert
// on the close crossing it.
#pragma once

#include "chart/ui/CDrawingTool.h"
#include "common/services/CAppSettings.h"

class CTrendLineTool : public CDrawingTool {
public:
    CTrendLineTool(EToolTag tag, const CLineToolSettings& settings);

    EToolTag GetTag() const override { return m_tag; }
    void Draw(CDC* dc, const CToolGeometry& geometry, const CPriceScale* scale) override;
    std::unique_ptr<CDrawingTool> CreateLike(CPoint p1, CPoint p2, DWORD state, const CToolGeometry& geometry,
                                             const CPriceScale* scale) const override;
    int GetThickness() const override { return m_settings.thickness; }
    COLORREF GetColor() const override { return m_settings.color; }
    bool EditPreferences(CPropertySheet& sheet) override;
    void ToStored(CStoredTool& stored) const override;
    void FromStored(const CStoredTool& stored) override;
    int GetExtendMode() const override;
    void AddMenuItems(CMenu& menu) override;
    int AddAlerts(const CToolGeometry& geometry, const CPriceScale* scale) override;

    // The bars the alert of the line covers (at most kMaxLineAlertBars), the formula it
    // would get and whether it waits for a close above the line; false when none.
    bool BuildAlert(const CToolGeometry& geometry, const CPriceScale* scale, CString& formula) const;

    CLineToolSettings m_settings;

private:
    EToolTag m_tag;
};
