#include "platform/ui/CDC.h"

#include "platform/ui/CBitmap.h"
#include "platform/ui/CBrush.h"
#include "platform/ui/CFont.h"
#include "platform/ui/CPen.h"
#include "platform/ui/CRgn.h"
#include "platform/ui/CTextLineCache.h"
#include "platform/ui/CWnd.h"
#include "platform/ui/QtConvert.h"

#include <QApplication>
#include <QFontMetrics>
#include <QImage>
#include <QPaintDevice>
#include <QPainter>
#include <QPolygon>
#include <QRegion>
#include <QTransform>
#include <QWidget>

#include <cmath>
#include <cstring>
#include <utility>
#include <vector>

namespace {

CRect g_currentPaintRect;

struct StockObjects {
    CBrush white{RGB(255, 255, 255)};
    CBrush ltgray{RGB(192, 192, 192)};
    CBrush gray{RGB(128, 128, 128)};
    CBrush dkgray{RGB(64, 64, 64)};
    CBrush black{RGB(0, 0, 0)};
    CBrush null = CBrush::NullBrush();
    CPen whitePen{PS_SOLID, 1, RGB(255, 255, 255)};
    CPen blackPen{PS_SOLID, 1, RGB(0, 0, 0)};
    CPen nullPen{PS_NULL, 0, 0};
};

StockObjects& Stock()
{
    static StockObjects s;
    return s;
}

Qt::PenStyle ToPenStyle(int style)
{
    switch (style) {
    case PS_DASH: return Qt::DashLine;
    case PS_DOT: return Qt::DotLine;
    case PS_DASHDOT: return Qt::DashDotLine;
    case PS_DASHDOTDOT: return Qt::DashDotDotLine;
    case PS_NULL: return Qt::NoPen;
    default: return Qt::SolidLine;
    }
}

Qt::BrushStyle ToHatch(int hatch)
{
    switch (hatch) {
    case HS_HORIZONTAL: return Qt::HorPattern;
    case HS_VERTICAL: return Qt::VerPattern;
    case HS_FDIAGONAL: return Qt::FDiagPattern;
    case HS_BDIAGONAL: return Qt::BDiagPattern;
    case HS_CROSS: return Qt::CrossPattern;
    case HS_DIAGCROSS: return Qt::DiagCrossPattern;
    default: return Qt::SolidPattern;
    }
}

QBrush ToQBrush(const CBrush& b)
{
    if (b.IsNull() || !b.GetSafeHandle())
        return QBrush(Qt::NoBrush);
    return QBrush(ToQColor(b.Color()), b.Hatch() < 0 ? Qt::SolidPattern : ToHatch(b.Hatch()));
}

QPen ToQPen(const CPen& p)
{
    if (!p.GetSafeHandle())
        return QPen(Qt::NoPen);
    QPen pen(ToQColor(p.Color()));
    pen.setStyle(ToPenStyle(p.Style()));
    if (p.Width() <= 1) {
        pen.setWidth(1);
        pen.setCosmetic(true);
    } else {
        pen.setWidth(p.Width());
    }
    pen.setCapStyle(Qt::FlatCap);
    pen.setJoinStyle(Qt::MiterJoin);
    return pen;
}

QPainter::CompositionMode RopMode(int rop2)
{
    switch (rop2) {
    case R2_NOT: return QPainter::RasterOp_NotDestination;
    case R2_XORPEN: return QPainter::RasterOp_SourceXorDestination;
    default: return QPainter::CompositionMode_SourceOver;
    }
}

}  // namespace

struct CDC::Impl {
    struct State {
        CPen* pen = &Stock().blackPen;
        CBrush* brush = &Stock().white;
        CFont* font = nullptr;
        QPen qpen;
        QBrush qbrush;
        QFont qfont;
        COLORREF textColor = RGB(0, 0, 0);
        COLORREF bkColor = RGB(255, 255, 255);
        int bkMode = OPAQUE;
        UINT textAlign = TA_LEFT | TA_TOP;
        int rop2 = R2_COPYPEN;
        int fillMode = ALTERNATE;
        QPoint pos;
        int mapMode = MM_TEXT;
        QPoint viewportOrg;
        QPoint windowOrg;
        QSize viewportExt{1, 1};
        QSize windowExt{1, 1};
    };
    QPainter* painter = nullptr;
    std::unique_ptr<QPainter> owned;
    QPaintDevice* device = nullptr;
    CBitmap* bitmap = nullptr;
    bool memory = false;
    bool printing = false;
    State state;
    std::vector<State> saved;
    CRect paintRect;
    int textDpi = -1; // the painter's device's logical dpi, asked once for cached text lines

    QFontMetrics Metrics() const
    {
        if (painter && painter->isActive() && device)
            return QFontMetrics(state.qfont, device);
        return QFontMetrics(state.qfont);
    }
    double ScaleX() const;
    double ScaleY() const;
    int Dpi(bool y) const
    {
        if (device)
            return y ? device->logicalDpiY() : device->logicalDpiX();
        return 96;
    }
};

double CDC::Impl::ScaleX() const
{
    switch (state.mapMode) {
    case MM_LOMETRIC: return Dpi(false) / 254.0;
    case MM_HIMETRIC: return Dpi(false) / 2540.0;
    case MM_LOENGLISH: return Dpi(false) / 100.0;
    case MM_HIENGLISH: return Dpi(false) / 1000.0;
    case MM_TWIPS: return Dpi(false) / 1440.0;
    case MM_ANISOTROPIC:
    case MM_ISOTROPIC: {
        double sx = state.windowExt.width() ? double(state.viewportExt.width()) / state.windowExt.width() : 1.0;
        if (state.mapMode == MM_ISOTROPIC) {
            const double sy = state.windowExt.height() ? double(state.viewportExt.height()) / state.windowExt.height() : 1.0;
            const double m = std::min(std::abs(sx), std::abs(sy));
            sx = sx < 0 ? -m : m;
        }
        return sx;
    }
    default: return 1.0;
    }
}

double CDC::Impl::ScaleY() const
{
    switch (state.mapMode) {
    case MM_LOMETRIC: return -Dpi(true) / 254.0;
    case MM_HIMETRIC: return -Dpi(true) / 2540.0;
    case MM_LOENGLISH: return -Dpi(true) / 100.0;
    case MM_HIENGLISH: return -Dpi(true) / 1000.0;
    case MM_TWIPS: return -Dpi(true) / 1440.0;
    case MM_ANISOTROPIC:
    case MM_ISOTROPIC: {
        double sy = state.windowExt.height() ? double(state.viewportExt.height()) / state.windowExt.height() : 1.0;
        if (state.mapMode == MM_ISOTROPIC) {
            const double sx = state.windowExt.width() ? double(state.viewportExt.width()) / state.windowExt.width() : 1.0;
            const double m = std::min(std::abs(sx), std::abs(sy));
            sy = sy < 0 ? -m : m;
        }
        return sy;
    }
    default: return 1.0;
    }
}

CDC::CDC() : m_impl(std::make_unique<Impl>())
{
    m_impl->state.qpen = ToQPen(Stock().blackPen);
    m_impl->state.qbrush = ToQBrush(Stock().white);
    m_impl->state.qfont = QApplication::font();
}

CDC::~CDC()
{
    Detach();
}

void CDC::Detach()
{
    if (m_impl->owned && m_impl->owned->isActive())
        m_impl->owned->end();
    m_impl->owned.reset();
    m_impl->painter = nullptr;
    m_impl->device = nullptr;
    m_impl->textDpi = -1;
}

BOOL CDC::DeleteDC()
{
    Detach();
    m_impl->bitmap = nullptr;
    m_impl->memory = false;
    return TRUE;
}

QPainter* CDC::GetPainter() const
{
    return m_impl->painter;
}

BOOL CDC::IsPrinting() const
{
    return m_impl->printing;
}

bool CDC::IsValid() const
{
    return m_impl->painter && m_impl->painter->isActive();
}

void CDC::ApplyPen()
{
    if (IsValid())
        m_impl->painter->setPen(m_impl->state.qpen);
}

void CDC::ApplyBrush()
{
    if (IsValid())
        m_impl->painter->setBrush(m_impl->state.qbrush);
}

void CDC::ApplyFont()
{
    if (IsValid())
        m_impl->painter->setFont(m_impl->state.qfont);
}

void CDC::ApplyTransform()
{
    if (!IsValid())
        return;
    const auto& s = m_impl->state;
    QTransform t;
    t.translate(s.viewportOrg.x(), s.viewportOrg.y());
    t.scale(m_impl->ScaleX(), m_impl->ScaleY());
    t.translate(-s.windowOrg.x(), -s.windowOrg.y());
    m_impl->painter->setWorldTransform(t);
}


BOOL CDC::AttachDevice(QPaintDevice* device, bool printing)
{
    Detach();
    if (!device)
        return FALSE;
    m_impl->owned = std::make_unique<QPainter>();
    if (!m_impl->owned->begin(device)) {
        m_impl->owned.reset();
        return FALSE;
    }
    m_impl->painter = m_impl->owned.get();
    m_impl->device = device;
    m_impl->printing = printing;
    ApplyPen();
    ApplyBrush();
    ApplyFont();
    ApplyTransform();
    m_impl->painter->setCompositionMode(RopMode(m_impl->state.rop2));
    return TRUE;
}

BOOL CDC::AttachWidgetPainter(QWidget* widget)
{
    if (!widget || !widget->testAttribute(Qt::WA_WState_InPaintEvent))
        return FALSE;
    if (!AttachDevice(widget))
        return FALSE;
    m_impl->paintRect = FromQRect(widget->rect());
    return TRUE;
}

void CDC::AttachPainter(QPainter* painter, bool printing)
{
    Detach();
    m_impl->painter = painter;
    m_impl->device = painter ? painter->device() : nullptr;
    m_impl->printing = printing;
    if (painter && painter->isActive()) {
        m_impl->state.qpen = painter->pen();
        m_impl->state.qbrush = painter->brush();
        m_impl->state.qfont = painter->font();
    }
}

BOOL CDC::CreateCompatibleDC(CDC*)
{
    Detach();
    m_impl->memory = true;
    m_impl->bitmap = nullptr;
    return TRUE;
}

void CDC::BeginOnBitmap(CBitmap* bitmap)
{
    Detach();
    m_impl->bitmap = bitmap;
    if (bitmap && bitmap->Image())
        AttachDevice(bitmap->Image());
}

CPen* CDC::SelectObject(CPen* pen)
{
    CPen* old = m_impl->state.pen;
    if (!pen)
        return old;
    m_impl->state.pen = pen;
    m_impl->state.qpen = ToQPen(*pen);
    ApplyPen();
    return old;
}

CBrush* CDC::SelectObject(CBrush* brush)
{
    CBrush* old = m_impl->state.brush;
    if (!brush)
        return old;
    m_impl->state.brush = brush;
    m_impl->state.qbrush = ToQBrush(*brush);
    ApplyBrush();
    return old;
}

CFont* CDC::SelectObject(CFont* font)
{
    CFont* old = m_impl->state.font ? m_impl->state.font : const_cast<CFont*>(&CFont::DefaultGuiFont());
    if (!font)
        return old;
    m_impl->state.font = font;
    m_impl->state.qfont = font->GetSafeHandle() ? font->ToQFont() : QApplication::font();
    ApplyFont();
    return old;
}

CBitmap* CDC::SelectObject(CBitmap* bitmap)
{
    CBitmap* old = m_impl->bitmap;
    if (!m_impl->memory)
        return nullptr;
    BeginOnBitmap(bitmap);
    return old;
}

int CDC::SelectObject(CRgn* region)
{
    return SelectClipRgn(region);
}

CGdiObject* CDC::SelectStockObject(int index)
{
    auto& s = Stock();
    switch (index) {
    case WHITE_BRUSH: return SelectObject(&s.white);
    case LTGRAY_BRUSH: return SelectObject(&s.ltgray);
    case GRAY_BRUSH: return SelectObject(&s.gray);
    case DKGRAY_BRUSH: return SelectObject(&s.dkgray);
    case BLACK_BRUSH: return SelectObject(&s.black);
    case NULL_BRUSH: return SelectObject(&s.null);
    case WHITE_PEN: return SelectObject(&s.whitePen);
    case BLACK_PEN: return SelectObject(&s.blackPen);
    case NULL_PEN: return SelectObject(&s.nullPen);
    case ANSI_VAR_FONT:
    case DEFAULT_GUI_FONT: return SelectObject(const_cast<CFont*>(&CFont::DefaultGuiFont()));
    default: return nullptr;
    }
}

CPen* CDC::GetCurrentPen() const { return m_impl->state.pen; }
CBrush* CDC::GetCurrentBrush() const { return m_impl->state.brush; }
CFont* CDC::GetCurrentFont() const
{
    return m_impl->state.font ? m_impl->state.font : const_cast<CFont*>(&CFont::DefaultGuiFont());
}
CBitmap* CDC::GetCurrentBitmap() const { return m_impl->bitmap; }

int CDC::SaveDC()
{
    m_impl->saved.push_back(m_impl->state);
    if (IsValid())
        m_impl->painter->save();
    return static_cast<int>(m_impl->saved.size());
}

BOOL CDC::RestoreDC(int savedIndex)
{
    const int depth = static_cast<int>(m_impl->saved.size());
    const int target = savedIndex < 0 ? depth + savedIndex + 1 : savedIndex;
    if (target < 1 || target > depth)
        return FALSE;
    while (static_cast<int>(m_impl->saved.size()) >= target) {
        m_impl->state = m_impl->saved.back();
        m_impl->saved.pop_back();
        if (IsValid())
            m_impl->painter->restore();
    }
    return TRUE;
}

COLORREF CDC::SetTextColor(COLORREF color) { return std::exchange(m_impl->state.textColor, color); }
COLORREF CDC::GetTextColor() const { return m_impl->state.textColor; }
COLORREF CDC::SetBkColor(COLORREF color) { return std::exchange(m_impl->state.bkColor, color); }
COLORREF CDC::GetBkColor() const { return m_impl->state.bkColor; }
int CDC::SetBkMode(int mode) { return std::exchange(m_impl->state.bkMode, mode); }
int CDC::GetBkMode() const { return m_impl->state.bkMode; }
UINT CDC::SetTextAlign(UINT flags) { return std::exchange(m_impl->state.textAlign, flags); }
UINT CDC::GetTextAlign() const { return m_impl->state.textAlign; }
int CDC::SetROP2(int mode)
{
    const int old = std::exchange(m_impl->state.rop2, mode);
    if (IsValid() && !m_impl->printing)
        m_impl->painter->setCompositionMode(RopMode(mode));
    return old;
}
int CDC::GetROP2() const { return m_impl->state.rop2; }
int CDC::SetPolyFillMode(int mode) { return std::exchange(m_impl->state.fillMode, mode); }

int CDC::SetMapMode(int mode)
{
    const int old = std::exchange(m_impl->state.mapMode, mode);
    ApplyTransform();
    return old;
}
int CDC::GetMapMode() const { return m_impl->state.mapMode; }

CPoint CDC::SetViewportOrg(int x, int y)
{
    const QPoint old = m_impl->state.viewportOrg;
    m_impl->state.viewportOrg = QPoint(x, y);
    ApplyTransform();
    return FromQPoint(old);
}
CPoint CDC::GetViewportOrg() const { return FromQPoint(m_impl->state.viewportOrg); }
CPoint CDC::OffsetViewportOrg(int dx, int dy)
{
    const QPoint o = m_impl->state.viewportOrg;
    return SetViewportOrg(o.x() + dx, o.y() + dy);
}
CPoint CDC::SetWindowOrg(int x, int y)
{
    const QPoint old = m_impl->state.windowOrg;
    m_impl->state.windowOrg = QPoint(x, y);
    ApplyTransform();
    return FromQPoint(old);
}
CPoint CDC::GetWindowOrg() const { return FromQPoint(m_impl->state.windowOrg); }
CSize CDC::SetViewportExt(int cx, int cy)
{
    const QSize old = m_impl->state.viewportExt;
    if (m_impl->state.mapMode == MM_ANISOTROPIC || m_impl->state.mapMode == MM_ISOTROPIC) {
        m_impl->state.viewportExt = QSize(cx, cy);
        ApplyTransform();
    }
    return CSize(old.width(), old.height());
}
CSize CDC::SetWindowExt(int cx, int cy)
{
    const QSize old = m_impl->state.windowExt;
    if (m_impl->state.mapMode == MM_ANISOTROPIC || m_impl->state.mapMode == MM_ISOTROPIC) {
        m_impl->state.windowExt = QSize(cx, cy);
        ApplyTransform();
    }
    return CSize(old.width(), old.height());
}

void CDC::LPtoDP(LPPOINT points, int count) const
{
    const auto& s = m_impl->state;
    for (int i = 0; points && i < count; ++i) {
        points[i].x = static_cast<LONG>(std::lround((points[i].x - s.windowOrg.x()) * m_impl->ScaleX() + s.viewportOrg.x()));
        points[i].y = static_cast<LONG>(std::lround((points[i].y - s.windowOrg.y()) * m_impl->ScaleY() + s.viewportOrg.y()));
    }
}

void CDC::LPtoDP(LPRECT rect) const
{
    if (rect)
        LPtoDP(reinterpret_cast<LPPOINT>(rect), 2);
}

void CDC::DPtoLP(LPPOINT points, int count) const
{
    const auto& s = m_impl->state;
    const double sx = m_impl->ScaleX();
    const double sy = m_impl->ScaleY();
    for (int i = 0; points && i < count; ++i) {
        points[i].x = static_cast<LONG>(std::lround((points[i].x - s.viewportOrg.x()) / (sx ? sx : 1.0) + s.windowOrg.x()));
        points[i].y = static_cast<LONG>(std::lround((points[i].y - s.viewportOrg.y()) / (sy ? sy : 1.0) + s.windowOrg.y()));
    }
}

void CDC::DPtoLP(LPRECT rect) const
{
    if (rect)
        DPtoLP(reinterpret_cast<LPPOINT>(rect), 2);
}

int CDC::GetDeviceCaps(int index) const
{
    QPaintDevice* d = m_impl->device;
    switch (index) {
    case HORZRES: return d ? d->width() : 0;
    case VERTRES: return d ? d->height() : 0;
    case HORZSIZE: return d ? d->widthMM() : 0;
    case VERTSIZE: return d ? d->heightMM() : 0;
    case LOGPIXELSX: return m_impl->Dpi(false);
    case LOGPIXELSY: return m_impl->Dpi(true);
    case BITSPIXEL: return d ? d->depth() : 32;
    case PHYSICALWIDTH: return d ? d->width() : 0;
    case PHYSICALHEIGHT: return d ? d->height() : 0;
    default: return 0;
    }
}

// Clipping.

int CDC::IntersectClipRect(int l, int t, int r, int b)
{
    if (!IsValid())
        return RGN_ERROR;
    const QRect rect = ToQRect(CRect(l, t, r, b));
    if (m_impl->painter->hasClipping())
        m_impl->painter->setClipRect(rect, Qt::IntersectClip);
    else
        m_impl->painter->setClipRect(rect, Qt::ReplaceClip);
    return m_impl->painter->clipRegion().isEmpty() ? NULLREGION : SIMPLEREGION;
}

int CDC::IntersectClipRect(LPCRECT rect)
{
    return rect ? IntersectClipRect(rect->left, rect->top, rect->right, rect->bottom) : RGN_ERROR;
}

int CDC::ExcludeClipRect(int l, int t, int r, int b)
{
    if (!IsValid())
        return RGN_ERROR;
    QRegion current;
    if (m_impl->painter->hasClipping()) {
        current = m_impl->painter->clipRegion();
    } else {
        CRect box;
        GetClipBox(&box);
        current = QRegion(ToQRect(box));
    }
    current = current.subtracted(QRegion(ToQRect(CRect(l, t, r, b))));
    m_impl->painter->setClipRegion(current, Qt::ReplaceClip);
    return current.isEmpty() ? NULLREGION : COMPLEXREGION;
}

int CDC::ExcludeClipRect(LPCRECT rect)
{
    return rect ? ExcludeClipRect(rect->left, rect->top, rect->right, rect->bottom) : RGN_ERROR;
}

int CDC::SelectClipRgn(CRgn* region, int mode)
{
    if (!IsValid())
        return RGN_ERROR;
    if (!region) {
        m_impl->painter->setClipping(false);
        return SIMPLEREGION;
    }
    // Regions are in device units.
    const QRegion logical = m_impl->painter->worldTransform().inverted().map(region->Region());
    Qt::ClipOperation op = Qt::ReplaceClip;
    if (mode == RGN_AND && m_impl->painter->hasClipping())
        op = Qt::IntersectClip;
    if (mode == RGN_OR && m_impl->painter->hasClipping()) {
        m_impl->painter->setClipRegion(m_impl->painter->clipRegion().united(logical));
        return COMPLEXREGION;
    }
    if (mode == RGN_DIFF) {
        CRect box;
        GetClipBox(&box);
        QRegion base = m_impl->painter->hasClipping() ? m_impl->painter->clipRegion() : QRegion(ToQRect(box));
        m_impl->painter->setClipRegion(base.subtracted(logical));
        return COMPLEXREGION;
    }
    m_impl->painter->setClipRegion(logical, op);
    return m_impl->painter->clipRegion().isEmpty() ? NULLREGION : COMPLEXREGION;
}

int CDC::GetClipBox(LPRECT rect) const
{
    if (!rect)
        return RGN_ERROR;
    if (!IsValid()) {
        *rect = CRect();
        return NULLREGION;
    }
    if (m_impl->painter->hasClipping()) {
        *rect = FromQRect(m_impl->painter->clipBoundingRect().toAlignedRect());
        return rect->right > rect->left ? SIMPLEREGION : NULLREGION;
    }
    QRect deviceRect = m_impl->device ? QRect(0, 0, m_impl->device->width(), m_impl->device->height()) : QRect();
    if (!m_impl->paintRect.IsRectEmpty())
        deviceRect = deviceRect.intersected(ToQRect(m_impl->paintRect));
    *rect = FromQRect(m_impl->painter->worldTransform().inverted().mapRect(deviceRect));
    return SIMPLEREGION;
}

BOOL CDC::PtVisible(int x, int y) const
{
    CRect box;
    GetClipBox(&box);
    if (!box.PtInRect(CPoint(x, y)))
        return FALSE;
    return !IsValid() || !m_impl->painter->hasClipping() || m_impl->painter->clipRegion().contains(QPoint(x, y));
}

BOOL CDC::RectVisible(LPCRECT rect) const
{
    if (!rect)
        return FALSE;
    CRect box;
    GetClipBox(&box);
    CRect r(*rect);
    r.NormalizeRect();
    return (box & r).IsRectEmpty() ? FALSE : TRUE;
}

// Lines and shapes.

CPoint CDC::MoveTo(int x, int y)
{
    const QPoint old = m_impl->state.pos;
    m_impl->state.pos = QPoint(x, y);
    return FromQPoint(old);
}

BOOL CDC::LineTo(int x, int y)
{
    const QPoint to(x, y);
    if (IsValid() && m_impl->state.qpen.style() != Qt::NoPen)
        m_impl->painter->drawLine(m_impl->state.pos, to);
    m_impl->state.pos = to;
    return TRUE;
}

CPoint CDC::GetCurrentPosition() const
{
    return FromQPoint(m_impl->state.pos);
}

BOOL CDC::Rectangle(int l, int t, int r, int b)
{
    if (!IsValid())
        return FALSE;
    CRect rc(l, t, r, b);
    rc.NormalizeRect();
    QPainter* p = m_impl->painter;
    if (m_impl->state.qbrush.style() != Qt::NoBrush)
        p->fillRect(ToQRect(rc), m_impl->state.qbrush);
    if (m_impl->state.qpen.style() != Qt::NoPen && rc.Width() > 0 && rc.Height() > 0) {
        p->save();
        p->setBrush(Qt::NoBrush);
        const int w = m_impl->state.qpen.isCosmetic() ? 1 : m_impl->state.qpen.width();
        const double half = w / 2.0;
        if (w <= 1)
            p->drawRect(QRect(rc.left, rc.top, rc.Width() - 1, rc.Height() - 1));
        else
            p->drawRect(QRectF(rc.left + half, rc.top + half, rc.Width() - w, rc.Height() - w));
        p->restore();
    }
    return TRUE;
}

BOOL CDC::Rectangle(LPCRECT rect)
{
    return rect ? Rectangle(rect->left, rect->top, rect->right, rect->bottom) : FALSE;
}

BOOL CDC::RoundRect(int l, int t, int r, int b, int cornerW, int cornerH)
{
    if (!IsValid())
        return FALSE;
    m_impl->painter->drawRoundedRect(QRect(l, t, r - l - 1, b - t - 1), cornerW / 2.0, cornerH / 2.0);
    return TRUE;
}

BOOL CDC::Ellipse(int l, int t, int r, int b)
{
    if (!IsValid())
        return FALSE;
    m_impl->painter->drawEllipse(QRect(l, t, r - l - 1, b - t - 1));
    return TRUE;
}

BOOL CDC::Ellipse(LPCRECT rect)
{
    return rect ? Ellipse(rect->left, rect->top, rect->right, rect->bottom) : FALSE;
}

BOOL CDC::Polygon(const POINT* points, int count)
{
    if (!IsValid() || !points || count < 2)
        return FALSE;
    QPolygon poly;
    poly.reserve(count);
    for (int i = 0; i < count; ++i)
        poly << QPoint(points[i].x, points[i].y);
    m_impl->painter->drawPolygon(poly, m_impl->state.fillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill);
    return TRUE;
}

BOOL CDC::Polyline(const POINT* points, int count)
{
    if (!IsValid() || !points || count < 2)
        return FALSE;
    QPolygon poly;
    poly.reserve(count);
    for (int i = 0; i < count; ++i)
        poly << QPoint(points[i].x, points[i].y);
    m_impl->painter->drawPolyline(poly);
    return TRUE;
}

BOOL CDC::PolyPolyline(const POINT* points, const DWORD* counts, int polylines)
{
    if (!points || !counts)
        return FALSE;
    const POINT* p = points;
    for (int i = 0; i < polylines; ++i) {
        Polyline(p, static_cast<int>(counts[i]));
        p += counts[i];
    }
    return TRUE;
}

static double AngleOf(const QRectF& box, int x, int y)
{
    const QPointF c = box.center();
    // Qt angles run counter-clockwise with y up.
    return std::atan2(-(y - c.y()) * box.width() / std::max(box.height(), 1.0), x - c.x()) * 180.0 / M_PI;
}

BOOL CDC::Arc(int l, int t, int r, int b, int x1, int y1, int x2, int y2)
{
    if (!IsValid())
        return FALSE;
    const QRectF box(l, t, r - l - 1, b - t - 1);
    const double a1 = AngleOf(box, x1, y1);
    double span = AngleOf(box, x2, y2) - a1;
    if (span <= 0)
        span += 360.0;
    m_impl->painter->drawArc(box, static_cast<int>(a1 * 16), static_cast<int>(span * 16));
    return TRUE;
}

BOOL CDC::Pie(int l, int t, int r, int b, int x1, int y1, int x2, int y2)
{
    if (!IsValid())
        return FALSE;
    const QRectF box(l, t, r - l - 1, b - t - 1);
    const double a1 = AngleOf(box, x1, y1);
    double span = AngleOf(box, x2, y2) - a1;
    if (span <= 0)
        span += 360.0;
    m_impl->painter->drawPie(box, static_cast<int>(a1 * 16), static_cast<int>(span * 16));
    return TRUE;
}

COLORREF CDC::SetPixel(int x, int y, COLORREF color)
{
    if (IsValid())
        m_impl->painter->fillRect(QRect(x, y, 1, 1), ToQColor(color));
    return color;
}

COLORREF CDC::GetPixel(int x, int y) const
{
    if (!m_impl->bitmap || !m_impl->bitmap->Image())
        return 0xFFFFFFFF;
    CPoint p(x, y);
    LPtoDP(&p);
    const QImage* img = m_impl->bitmap->Image();
    if (!img->valid(p.x, p.y))
        return 0xFFFFFFFF;
    return FromQColor(QColor::fromRgb(img->pixel(p.x, p.y)));
}

void CDC::FillSolidRect(LPCRECT rect, COLORREF color)
{
    if (!rect)
        return;
    CRect r(*rect);
    r.NormalizeRect();
    SetBkColor(color);
    if (!IsValid())
        return;
    QPainter* p = m_impl->painter;
    // A fill always paints over, whatever the raster operation of the lines.
    if (p->compositionMode() == QPainter::CompositionMode_SourceOver) {
        p->fillRect(ToQRect(r), ToQColor(color));
        return;
    }
    p->save();
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
    p->fillRect(ToQRect(r), ToQColor(color));
    p->restore();
}

void CDC::FillSolidRect(int x, int y, int cx, int cy, COLORREF color)
{
    const CRect r(x, y, x + cx, y + cy);
    FillSolidRect(&r, color);
}

void CDC::FillRect(LPCRECT rect, CBrush* brush)
{
    if (IsValid() && rect && brush)
        m_impl->painter->fillRect(ToQRect(*rect), ToQBrush(*brush));
}

void CDC::FrameRect(LPCRECT rect, CBrush* brush)
{
    if (!IsValid() || !rect || !brush)
        return;
    const CRect r(*rect);
    const QBrush b = ToQBrush(*brush);
    QPainter* p = m_impl->painter;
    p->fillRect(QRect(r.left, r.top, r.Width(), 1), b);
    p->fillRect(QRect(r.left, r.bottom - 1, r.Width(), 1), b);
    p->fillRect(QRect(r.left, r.top, 1, r.Height()), b);
    p->fillRect(QRect(r.right - 1, r.top, 1, r.Height()), b);
}

void CDC::InvertRect(LPCRECT rect)
{
    if (!IsValid() || !rect || m_impl->printing)
        return;
    QPainter* p = m_impl->painter;
    p->save();
    p->setCompositionMode(QPainter::RasterOp_NotDestination);
    p->fillRect(ToQRect(*rect), Qt::black);
    p->restore();
}

void CDC::Draw3dRect(int x, int y, int cx, int cy, COLORREF topLeft, COLORREF bottomRight)
{
    if (!IsValid())
        return;
    QPainter* p = m_impl->painter;
    p->fillRect(QRect(x, y, cx - 1, 1), ToQColor(topLeft));
    p->fillRect(QRect(x, y, 1, cy - 1), ToQColor(topLeft));
    p->fillRect(QRect(x + cx - 1, y, 1, cy), ToQColor(bottomRight));
    p->fillRect(QRect(x, y + cy - 1, cx, 1), ToQColor(bottomRight));
}

void CDC::Draw3dRect(LPCRECT rect, COLORREF topLeft, COLORREF bottomRight)
{
    if (rect)
        Draw3dRect(rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top, topLeft, bottomRight);
}

BOOL CDC::DrawEdge(LPRECT rect, UINT edge, UINT flags)
{
    if (!rect)
        return FALSE;
    CRect r(*rect);
    const COLORREF light = GetSysColor(COLOR_3DHILIGHT);
    const COLORREF shadow = GetSysColor(COLOR_3DSHADOW);
    const COLORREF dark = GetSysColor(COLOR_3DDKSHADOW);
    const COLORREF face = GetSysColor(COLOR_3DLIGHT);
    auto pass = [&](COLORREF tl, COLORREF br) {
        if (flags & BF_TOP) FillSolidRect(r.left, r.top, r.Width(), 1, tl);
        if (flags & BF_LEFT) FillSolidRect(r.left, r.top, 1, r.Height(), tl);
        if (flags & BF_BOTTOM) FillSolidRect(r.left, r.bottom - 1, r.Width(), 1, br);
        if (flags & BF_RIGHT) FillSolidRect(r.right - 1, r.top, 1, r.Height(), br);
        r.DeflateRect(1, 1);
    };
    if (edge & BDR_RAISEDOUTER) pass(face, dark);
    else if (edge & BDR_SUNKENOUTER) pass(shadow, light);
    if (edge & BDR_RAISEDINNER) pass(light, shadow);
    else if (edge & BDR_SUNKENINNER) pass(dark, face);
    *rect = r;
    return TRUE;
}

void CDC::DrawFocusRect(LPCRECT rect)
{
    if (!IsValid() || !rect)
        return;
    QPainter* p = m_impl->painter;
    p->save();
    QPen pen(Qt::black);
    pen.setStyle(Qt::DotLine);
    pen.setCosmetic(true);
    p->setPen(pen);
    p->setBrush(Qt::NoBrush);
    if (!m_impl->printing)
        p->setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    p->setPen(QPen(Qt::white, 1, Qt::DotLine));
    p->drawRect(QRect(rect->left, rect->top, rect->right - rect->left - 1, rect->bottom - rect->top - 1));
    p->restore();
}

BOOL CDC::PatBlt(int x, int y, int width, int height, DWORD rop)
{
    if (!IsValid())
        return FALSE;
    const QRect r(x, y, width, height);
    QPainter* p = m_impl->painter;
    switch (rop) {
    case PATCOPY: p->fillRect(r, m_impl->state.qbrush); break;
    case BLACKNESS: p->fillRect(r, Qt::black); break;
    case WHITENESS: p->fillRect(r, Qt::white); break;
    case DSTINVERT: InvertRect(CRect(x, y, x + width, y + height)); break;
    default: return FALSE;
    }
    return TRUE;
}

BOOL CDC::BitBlt(int x, int y, int width, int height, CDC* src, int xSrc, int ySrc, DWORD rop)
{
    if (rop == PATCOPY || rop == BLACKNESS || rop == WHITENESS || rop == DSTINVERT)
        return PatBlt(x, y, width, height, rop);
    return StretchBlt(x, y, width, height, src, xSrc, ySrc, width, height, rop);
}

BOOL CDC::StretchBlt(int x, int y, int width, int height, CDC* src, int xSrc, int ySrc, int srcWidth, int srcHeight,
                     DWORD rop)
{
    if (!IsValid() || !src || !src->m_impl->bitmap || !src->m_impl->bitmap->Image())
        return FALSE;
    CPoint s(xSrc, ySrc);
    src->LPtoDP(&s);
    const QImage* img = src->m_impl->bitmap->Image();
    QPainter* p = m_impl->painter;
    p->save();
    QPainter::CompositionMode mode = QPainter::CompositionMode_Source;
    switch (rop) {
    case SRCPAINT: mode = QPainter::RasterOp_SourceOrDestination; break;
    case SRCAND: mode = QPainter::RasterOp_SourceAndDestination; break;
    case SRCINVERT: mode = QPainter::RasterOp_SourceXorDestination; break;
    default: break;
    }
    if (m_impl->printing)
        mode = QPainter::CompositionMode_SourceOver;
    p->setCompositionMode(mode);
    p->drawImage(QRect(x, y, width, height), *img, QRect(s.x, s.y, srcWidth, srcHeight));
    p->restore();
    return TRUE;
}

BOOL CDC::DrawBitmap(const CBitmap& bitmap, int x, int y)
{
    if (!IsValid() || !bitmap.Image())
        return FALSE;
    m_impl->painter->drawImage(QPoint(x, y), *bitmap.Image());
    return TRUE;
}

// Text.

BOOL CDC::TextOut(int x, int y, const CString& text)
{
    return TextOut(x, y, text.GetString(), text.GetLength());
}

BOOL CDC::TextOut(int x, int y, const char* text, int count)
{
    if (!text)
        return FALSE;
    const QString s = QString::fromUtf8(text, count);
    const QFontMetrics fm = m_impl->Metrics();
    const int w = fm.horizontalAdvance(s);
    const UINT align = m_impl->state.textAlign;
    if (align & TA_UPDATECP) {
        x = m_impl->state.pos.x();
        y = m_impl->state.pos.y();
    }
    int left = x;
    if ((align & TA_CENTER) == TA_CENTER)
        left = x - w / 2;
    else if (align & TA_RIGHT)
        left = x - w;
    int top = y;
    if ((align & TA_BASELINE) == TA_BASELINE)
        top = y - fm.ascent();
    else if (align & TA_BOTTOM)
        top = y - fm.height();
    if (align & TA_UPDATECP)
        m_impl->state.pos = QPoint((align & TA_RIGHT) ? left : left + w, y);
    if (!IsValid())
        return FALSE;
    QPainter* p = m_impl->painter;
    if (m_impl->state.bkMode == OPAQUE)
        p->fillRect(QRect(left, top, w, fm.height()), ToQColor(m_impl->state.bkColor));
    p->save();
    p->setPen(ToQColor(m_impl->state.textColor));
    p->drawText(QPoint(left, top + fm.ascent()), s);
    p->restore();
    return TRUE;
}

BOOL CDC::ExtTextOut(int x, int y, UINT options, LPCRECT rect, const CString& text, const int*)
{
    if (!IsValid())
        return FALSE;
    QPainter* p = m_impl->painter;
    if (rect && (options & ETO_OPAQUE))
        p->fillRect(ToQRect(*rect), ToQColor(m_impl->state.bkColor));
    p->save();
    if (rect && (options & ETO_CLIPPED))
        p->setClipRect(ToQRect(*rect), p->hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
    const int mode = SetBkMode((options & ETO_OPAQUE) ? TRANSPARENT : m_impl->state.bkMode);
    TextOut(x, y, text);
    SetBkMode(mode);
    p->restore();
    return TRUE;
}

int CDC::DrawText(const char* text, int count, LPRECT rect, UINT format)
{
    return DrawText(CString(text ? text : "", count < 0 ? static_cast<int>(std::strlen(text ? text : "")) : count), rect, format);
}

int CDC::DrawText(const CString& text, LPRECT rect, UINT format)
{
    if (!rect)
        return 0;
    if (const std::optional<int> height = DrawPlainLine(text, *rect, format))
        return *height;
    QString s = ToQString(text);
    int flags = 0;
    if ((format & DT_CENTER))
        flags |= Qt::AlignHCenter;
    else if (format & DT_RIGHT)
        flags |= Qt::AlignRight;
    else
        flags |= Qt::AlignLeft;
    const bool single = format & DT_SINGLELINE;
    if (single) {
        s.replace(QLatin1String("\r\n"), QLatin1String(" "));
        s.replace(QChar('\n'), QChar(' '));
        s.replace(QChar('\r'), QChar(' '));
        flags |= Qt::TextSingleLine;
        if (format & DT_VCENTER)
            flags |= Qt::AlignVCenter;
        else if (format & DT_BOTTOM)
            flags |= Qt::AlignBottom;
        else
            flags |= Qt::AlignTop;
    } else {
        s.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        flags |= Qt::AlignTop;
        if (format & DT_WORDBREAK)
            flags |= Qt::TextWordWrap;
    }
    if (format & DT_EXPANDTABS)
        flags |= Qt::TextExpandTabs;
    if (!(format & DT_NOPREFIX))
        flags |= Qt::TextShowMnemonic;
    flags |= Qt::TextDontClip;  // clipping is ours (DT_NOCLIP)
    const QFontMetrics fm = m_impl->Metrics();
    CRect r(*rect);
    if (format & DT_END_ELLIPSIS) {
        QStringList lines = s.split(QChar('\n'));
        for (QString& line : lines) {
            QString plain = line;
            if (!(format & DT_NOPREFIX))
                plain.replace(QLatin1String("&&"), QLatin1String("\x01")).remove(QChar('&')).replace(QChar(1), QChar('&'));
            if (fm.horizontalAdvance(plain) > r.Width()) {
                line = fm.elidedText(plain, Qt::ElideRight, std::max(r.Width(), 0), flags & Qt::TextExpandTabs);
                if (!(format & DT_NOPREFIX))
                    line.replace(QChar('&'), QLatin1String("&&"));
            }
        }
        s = lines.join(QChar('\n'));
    }
    const int measureWidth = (format & DT_WORDBREAK) && !single ? std::max(r.Width(), 1) : 1 << 20;
    const QRect bound = fm.boundingRect(QRect(r.left, r.top, measureWidth, 1 << 20), flags & ~(Qt::AlignVCenter | Qt::AlignBottom | Qt::AlignHCenter | Qt::AlignRight), s);
    const int textHeight = single ? fm.height() : std::max(bound.height(), fm.height());
    if (format & DT_CALCRECT) {
        // The width is the advance of the longest line, as GetTextExtent measures it.
        int width = bound.width();
        if (!(format & DT_WORDBREAK) || single) {
            width = 0;
            for (QString line : s.split(QChar('\n'))) {
                if (!(format & DT_NOPREFIX))
                    line.replace(QLatin1String("&&"), QLatin1String("\x01")).remove(QChar('&')).replace(QChar(1), QChar('&'));
                const int w = line.contains(QChar('\t')) && (format & DT_EXPANDTABS)
                                  ? fm.boundingRect(QRect(0, 0, 1 << 20, 1 << 20), Qt::TextExpandTabs | Qt::TextSingleLine, line).width()
                                  : fm.horizontalAdvance(line);
                width = std::max(width, w);
            }
        }
        rect->right = rect->left + width;
        rect->bottom = rect->top + textHeight;
        return textHeight;
    }
    if (!IsValid())
        return textHeight;
    QPainter* p = m_impl->painter;
    p->save();
    if (!(format & DT_NOCLIP))
        p->setClipRect(ToQRect(r), p->hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
    QRect drawn;
    if (m_impl->state.bkMode == OPAQUE) {
        QRect where = fm.boundingRect(ToQRect(r), flags, s);
        p->fillRect(where, ToQColor(m_impl->state.bkColor));
    }
    p->setPen(ToQColor(m_impl->state.textColor));
    p->drawText(ToQRect(r), flags, s, &drawn);
    p->restore();
    if (single && (format & (DT_VCENTER | DT_BOTTOM)))
        return drawn.y() + drawn.height() - r.top;
    return textHeight;
}

// One plain line (see CTextLineCache) on a transparent background, from its cached
// layout: what the general path below draws and returns, without laying the text out.
std::optional<int> CDC::DrawPlainLine(const CString& text, const RECT& rect, UINT format)
{
    if ((format & (DT_SINGLELINE | DT_CALCRECT | DT_EXPANDTABS)) != DT_SINGLELINE ||
        m_impl->state.bkMode == OPAQUE || !IsPlainLine(text.view()) || !IsValid())
        return std::nullopt;
    int alignment = (format & DT_CENTER) ? Qt::AlignHCenter : (format & DT_RIGHT) ? Qt::AlignRight : Qt::AlignLeft;
    alignment |= (format & DT_VCENTER) ? Qt::AlignVCenter : (format & DT_BOTTOM) ? Qt::AlignBottom : Qt::AlignTop;
    QPainter* p = m_impl->painter;
    const QPen pen = p->pen();
    // The pen setPen(QColor) would make, kept for the colour: cells repeat a few colours.
    thread_local COLORREF textPenColor = 0;
    thread_local QPen textPen(ToQColor(0));
    if (textPenColor != m_impl->state.textColor) {
        textPenColor = m_impl->state.textColor;
        textPen = QPen(ToQColor(textPenColor));
    }
    p->setPen(textPen);
    if (m_impl->textDpi < 0) {
        const QPaintDevice* device = p->device();
        m_impl->textDpi = device ? device->logicalDpiY() : 0;
    }
    QRect drawn;
    const bool done =
        CTextLineCache::ForThread().Draw(*p, ToQRect(rect), alignment, text.view(), (format & DT_END_ELLIPSIS) != 0,
                                         !(format & DT_NOCLIP), &drawn, m_impl->textDpi);
    p->setPen(pen);
    if (!done)
        return std::nullopt;
    if (format & (DT_VCENTER | DT_BOTTOM))
        return drawn.y() + drawn.height() - rect.top;
    return m_impl->Metrics().height();
}

CSize CDC::GetTextExtent(const CString& text) const
{
    const QFontMetrics fm = m_impl->Metrics();
    // A widget paints at the resolution of the screen's fonts, which the line cache
    // measures in: a plain line just drawn there is not laid out again.
    if (IsValid() && m_impl->device && m_impl->device->devType() == QInternal::Widget)
        if (const std::optional<int> advance = CTextLineCache::ForThread().Advance(*m_impl->painter, text.view()))
            return CSize(*advance, fm.height());
    return CSize(fm.horizontalAdvance(ToQString(text)), fm.height());
}

CSize CDC::GetTextExtent(const char* text, int count) const
{
    return GetTextExtent(CString(text ? text : "", count));
}

BOOL CDC::GetTextMetrics(LPTEXTMETRIC tm) const
{
    if (!tm)
        return FALSE;
    const QFontMetrics fm = m_impl->Metrics();
    const QFont& f = m_impl->state.qfont;
    tm->tmHeight = fm.height();
    tm->tmAscent = fm.ascent();
    tm->tmDescent = fm.descent();
    const int em = f.pixelSize() > 0 ? f.pixelSize() : static_cast<int>(std::lround(f.pointSizeF() * m_impl->Dpi(true) / 72.0));
    tm->tmInternalLeading = std::max(0, fm.height() - em);
    tm->tmExternalLeading = std::max(0, fm.leading());
    tm->tmAveCharWidth = fm.averageCharWidth();
    tm->tmMaxCharWidth = fm.maxWidth();
    tm->tmWeight = f.weight();
    tm->tmItalic = f.italic() ? 1 : 0;
    tm->tmUnderlined = f.underline() ? 1 : 0;
    tm->tmStruckOut = f.strikeOut() ? 1 : 0;
    return TRUE;
}

CRect CDC::GetPaintRect() const
{
    return m_impl->paintRect;
}

void CDC::SetPaintRect(const CRect& rect)
{
    m_impl->paintRect = rect;
}

void CDC::SetCurrentPaintRect(const CRect& rect)
{
    g_currentPaintRect = rect;
}

CPaintDC::CPaintDC(CWnd* wnd)
{
    // Valid only inside the window's OnPaint: it draws into the window's picture.
    if (wnd && wnd->IsPainting() && wnd->PaintSurface() && AttachDevice(wnd->PaintSurface())) {
        m_ps.rcPaint = g_currentPaintRect;
        SetPaintRect(g_currentPaintRect);
        if (CFont* f = wnd->GetFont())
            SelectObject(f);
        else if (QWidget* w = wnd->GetWidget())
            UseWidgetFont(w);
    }
}

CPaintDC::~CPaintDC() = default;

void CDC::UseWidgetFont(QWidget* w)
{
    m_impl->state.qfont = w->font();
    ApplyFont();
}

CClientDC::CClientDC(CWnd* wnd) : m_scratch(std::make_unique<CBitmap>())
{
    QImage* surface = wnd ? wnd->BeginClientDraw() : nullptr;
    if (surface && AttachDevice(surface)) {
        m_wnd = wnd->m_hWnd;
    } else {
        if (surface)
            wnd->EndClientDraw();
        m_scratch->CreateBitmap(1, 1, 1, 32, nullptr);
        AttachDevice(m_scratch->Image());
    }
    if (wnd) {
        if (CFont* f = wnd->GetFont())
            SelectObject(f);
        else if (QWidget* w = wnd->GetWidget())
            UseWidgetFont(w);
    }
}

CClientDC::~CClientDC()
{
    Detach();
    if (CWnd* wnd = CWnd::FromHandle(m_wnd))
        wnd->EndClientDraw();
}
