// An object the user draws on a chart pane, anchored at two points in data space (a
// bar's time and a price) so that it follows the bars when the chart scrolls, zooms or
// rescales: segments, rays, lines, regression channels, retracements and notes.
#pragma once

#include "chart/CStoredTool.h"
#include "chart/ToolGeometry.h"
#include "platform/core/CPoint.h"
#include "platform/core/CRect.h"
#include "platform/core/CString.h"
#include "platform/core/WinTypes.h"

#include <memory>

class CDC;
class CFont;
class CMenu;
class CPricePlot;
class CPriceScale;
class CPropertyPage;
class CPropertySheet;

// What tools need of the pane's bar layout.
struct CToolGeometry {
    CRect plot;          // the plot rectangle
    double spacing = 6.0;
    int firstBar = 0;    // the bar at the plot's left edge
    CFont* font = nullptr;
};

// Commands of the tools' context menus.
inline constexpr UINT ID_TOOL_REMOVE = 34279;
inline constexpr UINT ID_TOOL_CLONE = 34280;
inline constexpr UINT ID_TOOL_EDIT = 34281;
inline constexpr UINT ID_TOOL_MINIMIZE = 34282;
inline constexpr UINT ID_TOOL_RESTORE = 34283;
inline constexpr UINT ID_TOOL_ADD_ALERT = 34293;


class CDrawingTool {
public:
    virtual ~CDrawingTool();

    virtual EToolTag GetTag() const = 0;
    virtual void Draw(CDC* dc, const CToolGeometry& geometry, const CPriceScale* scale) = 0;
    // A new tool of the same class and settings, bound to the same plot, anchored at
    // two pixel points.
    virtual std::unique_ptr<CDrawingTool> CreateLike(CPoint p1, CPoint p2, DWORD state, const CToolGeometry& geometry,
                                                     const CPriceScale* scale) const = 0;
    virtual int GetThickness() const = 0;
    virtual COLORREF GetColor() const = 0;
    // Adds the tool's page(s) to the sheet, runs it and takes the values on OK.
    virtual bool EditPreferences(CPropertySheet& sheet) = 0;
    virtual bool HitTest(CPoint point, const CToolGeometry& geometry, const CPriceScale* scale);
    // The stored form: the base fills the tag, anchors and state, each kind its settings.
    virtual void ToStored(CStoredTool& stored) const;
    virtual void FromStored(const CStoredTool& stored);
    // 207 lines and retracements, 208 a note, 209 a minimized note.
    virtual UINT GetContextMenuId() const { return 207; }
    virtual void ToggleMinimized() {}
    virtual int GetExtendMode() const { return kExtendSegment; }
    // Items the tool adds to its context menu ("Add Alert").
    virtual void AddMenuItems(CMenu& menu);
    // Makes the tool's alerts; the number made.
    virtual int AddAlerts(const CToolGeometry& geometry, const CPriceScale* scale);
    // Notes stay on screen where they were put: their anchors are pixel points.
    virtual bool AnchorsArePixels() const { return false; }

    void AnchorsToPixels(CPoint& p1, CPoint& p2, const CToolGeometry& geometry, const CPriceScale* scale) const;
    // Sets anchor 1 (first true) or 2 from a pixel point.
    void SetAnchorFromPixel(bool first, CPoint point, const CToolGeometry& geometry, const CPriceScale* scale);
    bool IsNearAnchor(CPoint point, CPoint anchor) const;
    void DrawHandles(CDC* dc, const CToolGeometry& geometry, const CPriceScale* scale) const;

    void SetPricePlot(CPricePlot* plot) { m_pPlot = plot; }
    CPricePlot* GetPricePlot() const { return m_pPlot; }

    CToolAnchor m_anchor1;
    CToolAnchor m_anchor2;
    DWORD m_nState = kToolPlacing;
    DWORD m_nFollowing = 0;  // 1 the first anchor follows the mouse, 0 the second

protected:
    CDrawingTool() = default;
    CDrawingTool(const CDrawingTool&) = default;
    // Clips and draws a line between two pixel points in the tool's extend mode.
    void DrawClippedLine(CDC* dc, const CRect& pane, CPoint p1, CPoint p2, int extendMode, COLORREF color,
                         int thickness) const;
    bool HitsLine(CPoint point, const CRect& pane, CPoint p1, CPoint p2, int extendMode, int thickness) const;
    bool CanConvert() const { return m_pPlot || AnchorsArePixels(); }
    // Bar index of an anchor's time (through the plot's series).
    int AnchorBar(const CToolAnchor& anchor) const;

    CPricePlot* m_pPlot = nullptr;
};

// Runs the sheet with the page added for the time of the run; true on OK.
bool RunToolPage(CPropertySheet& sheet, CPropertyPage& page);

// Draws the small square handle around an anchor, when it lies inside the rectangle.
void DrawToolHandle(CDC* dc, int x, int y, const CRect& rect, int thickness);
