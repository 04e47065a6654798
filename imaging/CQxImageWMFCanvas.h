// Raster operations for metafile playback on a 24-bit image: polygon fill
// with solid or hatched brushes, lines of any width, pixels and bitmaps.
#pragma once

#include "imaging/CQxImage.h"

#include <vector>

struct QxPointF {
    double x;
    double y;
};

class CQxImageWMFCanvas {
public:
    // Draws onto img (24 bits), whose row 0 is the bottom; canvas y grows downward.
    explicit CQxImageWMFCanvas(CQxImage& img);

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

    int Width() const { return m_width; }
    int Height() const { return m_height; }

private:
    void Plot(int x, int y, COLORREF color);
    bool HatchHit(int x, int y, int hatch) const;
    void Line(double x0, double y0, double x1, double y1, COLORREF color);

    CQxImage& m_img;
    int m_width;
    int m_height;
};
