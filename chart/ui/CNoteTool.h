// A text note on a chart pane: a yellow box holding the text, or a small box when
// minimized. It stays where it was put on the pane (its anchors are pixel points).
#pragma once

#include "chart/ui/CDrawingTool.h"
#include "common/services/CAppSettings.h"

class CNoteTool : public CDrawingTool {
public:
    static constexpr int kMinimizedSize = 12;

    explicit CNoteTool(const CNoteSettings& settings);

    EToolTag GetTag() const override { return kTagNote; }
    void Draw(CDC* dc, const CToolGeometry& geometry, const CPriceScale* scale) override;
    std::unique_ptr<CDrawingTool> CreateLike(CPoint p1, CPoint p2, DWORD state, const CToolGeometry& geometry,
                                             const CPriceScale* scale) const override;
    int GetThickness() const override { return 1; }
    COLORREF GetColor() const override { return m_settings.color; }
    // Runs the note page; on OK a note left without text is marked removed, any other
    // becomes normal.
    bool EditPreferences(CPropertySheet& sheet) override;
    bool HitTest(CPoint point, const CToolGeometry& geometry, const CPriceScale* scale) override;
    void ToStored(CStoredTool& stored) const override;
    void FromStored(const CStoredTool& stored) override;
    UINT GetContextMenuId() const override { return m_settings.minimized ? 209 : 208; }
    void ToggleMinimized() override { m_settings.minimized = !m_settings.minimized; }
    bool AnchorsArePixels() const override { return true; }

    // The box on the pane.
    CRect GetBox() const;

    CNoteSettings m_settings;
};
