// Plays the records of a Windows metafile (WMF) or enhanced metafile (EMF)
// onto a canvas: object table, device-context state with save and restore,
// map modes, window and viewport, lines, polygons, rectangles, ellipses and
// arcs, solid and hatched brushes, pens, paths and DIB bitmaps. Text, clipping
// and raster operations other than copy are not played.
#pragma once

#include "imaging/CQxImageWMFCanvas.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

class CQxImageWMFPlayer {
public:
    explicit CQxImageWMFPlayer(CQxImageWMFCanvas& canvas);

    // WMF records (after the 18-byte header); the window defaults to the
    // placeable header's bounding box, which fills the canvas.
    void PlayWmf(const BYTE* data, size_t size, int objectCount, int left, int top, int right, int bottom);
    // EMF records from the header on; the picture frame (or the bounds) fills the canvas.
    void PlayEmf(const BYTE* data, size_t size);

    // Record types met that could not be played, with their counts.
    const std::map<unsigned, unsigned>& Skipped() const { return m_skipped; }

private:
    struct Pen {
        int style = 0;  // 5: none
        double width = 0;
        COLORREF color = 0;
    };
    struct Brush {
        int style = 0;  // 0 solid, 1 none, 2 hatched, other: pattern (drawn grey)
        COLORREF color = 0xFFFFFF;
        int hatch = 0;
    };
    struct Object {
        int kind = 0;  // 0 empty, 1 pen, 2 brush, 3 other (font, palette, region)
        Pen pen;
        Brush brush;
    };
    struct Xform {
        double m11 = 1, m12 = 0, m21 = 0, m22 = 1, dx = 0, dy = 0;
    };
    struct DcState {
        Pen pen;
        Brush brush;
        COLORREF bkColor = 0xFFFFFF;
        int bkMode = 2;  // 1 transparent, 2 opaque
        int fillMode = 1;  // 1 alternate, 2 winding
        int mapMode = 1;
        double winOrgX = 0, winOrgY = 0, winExtX = 1, winExtY = 1;
        double vpOrgX = 0, vpOrgY = 0, vpExtX = 1, vpExtY = 1;
        Xform xform;
        double curX = 0, curY = 0;
        bool clockwise = false;  // arc direction
    };

    QxPointF Map(double x, double y) const;
    double MapWidth(double w) const;
    void SelectObject(unsigned index);
    void DeleteObject(unsigned index);
    void AddObject(const Object& obj);
    void StockObject(unsigned id);

    // Drawing in logical coordinates.
    void DrawShape(std::vector<QxPointF> logical, bool fill, bool stroke);
    void DrawPolyline(const std::vector<QxPointF>& logical);
    void DrawPolyPolygon(const std::vector<std::vector<QxPointF>>& logical);
    void DrawRect(double l, double t, double r, double b);
    void DrawRoundRect(double l, double t, double r, double b, double w, double h);
    void DrawEllipse(double l, double t, double r, double b);
    // kind 0 arc, 1 chord, 2 pie, 3 arc joined to the current position
    void DrawArc(double l, double t, double r, double b, double xs, double ys, double xe, double ye, int kind);
    void LineTo(double x, double y);
    void DrawDib(const BYTE* bmi, size_t bmiSize, const BYTE* bits, size_t bitsSize, int srcX, int srcY, int srcW,
                 int srcH, double dstX, double dstY, double dstW, double dstH, DWORD rop, bool srcFromTop);
    void FillRectWithBrush(double l, double t, double r, double b);
    CQxImageWMFCanvas::Fill CurrentFill() const;
    void Skip(unsigned type) { ++m_skipped[type]; }
    std::vector<QxPointF> Bezier(const std::vector<QxPointF>& pts, bool startAtCurrent);

    void PlayEmfRecord(unsigned type, const BYTE* rec, size_t size);
    void PlayWmfRecord(unsigned func, const BYTE* params, size_t words);

    CQxImageWMFCanvas& m_canvas;
    DcState m_dc;
    std::vector<DcState> m_saved;
    std::vector<Object> m_objects;
    std::set<size_t> m_freeSlots;  // WMF: deleted slots, reused lowest first
    size_t m_maxObjects = 0;
    bool m_emf = false;
    // Reference device to canvas (EMF) or window to canvas (WMF, fixed).
    double m_devScaleX = 1, m_devScaleY = 1, m_devOffX = 0, m_devOffY = 0;
    double m_devPxPerMmX = 96 / 25.4, m_devPxPerMmY = 96 / 25.4;
    // Path recording.
    bool m_inPath = false;
    std::vector<std::vector<QxPointF>> m_path;  // logical figures
    std::vector<bool> m_pathClosed;
    std::map<unsigned, unsigned> m_skipped;
};
