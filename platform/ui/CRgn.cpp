#include "platform/ui/CRgn.h"

#include "platform/ui/CDC.h"
#include "platform/ui/QtConvert.h"

#include <QPolygon>
#include <QRegion>

CRgn::CRgn() : m_region(std::make_unique<QRegion>()) {}
CRgn::~CRgn() = default;

void CRgn::Reset()
{
    *m_region = QRegion();
}

BOOL CRgn::CreateRectRgn(int l, int t, int r, int b)
{
    *m_region = QRegion(ToQRect(CRect(l, t, r, b)));
    m_created = true;
    return TRUE;
}

BOOL CRgn::CreateRectRgnIndirect(LPCRECT rect)
{
    return rect ? CreateRectRgn(rect->left, rect->top, rect->right, rect->bottom) : FALSE;
}

BOOL CRgn::CreateEllipticRgn(int l, int t, int r, int b)
{
    *m_region = QRegion(ToQRect(CRect(l, t, r, b)), QRegion::Ellipse);
    m_created = true;
    return TRUE;
}

BOOL CRgn::CreatePolygonRgn(const POINT* points, int count, int fillMode)
{
    if (!points || count < 3)
        return FALSE;
    QPolygon poly;
    for (int i = 0; i < count; ++i)
        poly << QPoint(points[i].x, points[i].y);
    *m_region = QRegion(poly, fillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill);
    m_created = true;
    return TRUE;
}

int CRgn::CombineRgn(const CRgn* a, const CRgn* b, int mode)
{
    if (!a)
        return RGN_ERROR;
    const QRegion& ra = a->Region();
    const QRegion rb = b ? b->Region() : QRegion();
    switch (mode) {
    case RGN_AND: *m_region = ra.intersected(rb); break;
    case RGN_OR: *m_region = ra.united(rb); break;
    case RGN_XOR: *m_region = ra.xored(rb); break;
    case RGN_DIFF: *m_region = ra.subtracted(rb); break;
    case RGN_COPY: *m_region = ra; break;
    default: return RGN_ERROR;
    }
    m_created = true;
    if (m_region->isEmpty())
        return NULLREGION;
    return m_region->rectCount() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

BOOL CRgn::PtInRegion(int x, int y) const
{
    return m_region->contains(QPoint(x, y));
}

BOOL CRgn::RectInRegion(LPCRECT rect) const
{
    return rect && m_region->intersects(ToQRect(*rect));
}

int CRgn::GetRgnBox(LPRECT rect) const
{
    if (rect)
        *rect = FromQRect(m_region->boundingRect());
    if (m_region->isEmpty())
        return NULLREGION;
    return m_region->rectCount() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

int CRgn::OffsetRgn(int dx, int dy)
{
    m_region->translate(dx, dy);
    return m_region->isEmpty() ? NULLREGION : SIMPLEREGION;
}

const QRegion& CRgn::Region() const
{
    return *m_region;
}
