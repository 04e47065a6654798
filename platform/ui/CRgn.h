// A region of pixels for clipping and hit tests.
#pragma once

#include "platform/core/CRect.h"
#include "platform/ui/CGdiObject.h"

#include <memory>

class QRegion;

class CRgn : public CGdiObject {
public:
    CRgn();
    ~CRgn() override;
    CRgn(const CRgn&) = delete;
    CRgn& operator=(const CRgn&) = delete;

    BOOL CreateRectRgn(int l, int t, int r, int b);
    BOOL CreateRectRgnIndirect(LPCRECT rect);
    BOOL CreateEllipticRgn(int l, int t, int r, int b);
    BOOL CreatePolygonRgn(const POINT* points, int count, int fillMode);
    // RGN_AND, RGN_OR, RGN_XOR, RGN_DIFF, RGN_COPY; returns the kind of the result.
    int CombineRgn(const CRgn* a, const CRgn* b, int mode);
    BOOL PtInRegion(int x, int y) const;
    BOOL PtInRegion(POINT p) const { return PtInRegion(p.x, p.y); }
    BOOL RectInRegion(LPCRECT rect) const;
    int GetRgnBox(LPRECT rect) const;
    int OffsetRgn(int dx, int dy);

    const QRegion& Region() const;

protected:
    void Reset() override;

private:
    std::unique_ptr<QRegion> m_region;
};
