// Raster operations for metafile playback on a 24-bit image: polygon fill
// with solid or hatched brushes, lines of any width, pixels and bitmaps.
// Every operation is paid from a work budget (pixels and edge rows visited)
// before it runs; once the budget is spent the canvas draws nothing more.
#pragma once

#include "imaging/CQxImage.h"

#include <cstdint>
#include <vector>

struct QxPointF {
    double x;
    double y;
};

class CQxImageWMFCanvas {
public:
    // About a tenth of a second of filling; eight times a 4000 x 4000 canvas.
    static constexpr uint64_t kDefaultWorkBudget = uint64_t{1} << 27;

    // Draws onto img (24 bits), whose row 0 is the bottom; canvas y grows downward.
    explicit CQxImageWMFCanvas(CQxImage& img, uint64_t workBudget = kDefaultWorkBudget);

    struct Fill {
        COLORREF color = 0;
        int hatch = -1;          // -1 solid, 0..5 the Windows hatch styles
        bool opaqueBack = true;  // hatch background painted with backColor
        COLORREF backColor = 0xFFFFFF;
    };

    // Fills a set of closed figures together (winding or even-odd rule).
    void FillPolygons(const std::vector<std::vector<QxPointF>>& figures, const Fill& fill, bool winding);
    // Strokes a polyline; width in pixels (below 1.5: one pixel wide).
    void StrokePolyline(const std::vector<QxPointF>& points, bool closed, COLORREF color, double width);
    void SetPixel(int x, int y, COLORREF color);
    // Copies src (any depth) scaled into the destination rectangle; source
    // rectangle in src coordinates with y counted from the bottom.
    void DrawBitmap(CQxImage& src, int srcX, int srcY, int srcW, int srcH, double dstX, double dstY, double dstW,
                    double dstH);

    // Pays for work done outside the canvas (decoding a bitmap, say); false,
    // and nothing is drawn from then on, when the budget cannot cover it.
    bool Charge(uint64_t units);
    bool BudgetExceeded() const { return m_exhausted; }
    uint64_t WorkDone() const { return m_work; }

    int Width() const { return m_width; }
    int Height() const { return m_height; }

private:
    void Plot(int x, int y, COLORREF color);
    void FillSpan(BYTE* row, int y, int xa, int xb, const Fill& fill);
    bool HatchHit(int x, int y, int hatch) const;
    void Line(double x0, double y0, double x1, double y1, COLORREF color);

    CQxImage& m_img;
    int m_width;
    int m_height;
    uint64_t m_budget;
    uint64_t m_work = 0;
    bool m_exhausted = false;
};
