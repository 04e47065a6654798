#include "platform/ui/CTextLineCache.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QGlyphRun>
#include <QPaintDevice>
#include <QPainter>
#include <QTextLayout>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <cmath>

namespace {

constexpr size_t kLinesPerFont = 2048; // a few MB of layouts a font at most
constexpr size_t kFonts = 8;
// Glyph images reach a little past the glyphs' outlines (hinting, antialiasing).
constexpr qreal kInkMargin = 2.0;

// The main thread's cache lets go of its layouts with the application: they hold font
// engines that the application's font cache owns.
std::atomic<CTextLineCache*> g_mainCache{nullptr};

void ClearMainCache()
{
    if (CTextLineCache* cache = g_mainCache.exchange(nullptr))
        cache->Clear();
}

} // namespace

struct CTextLineCache::Line {
    QTextLayout layout;
    qreal height = 0;       // ascent + descent
    qreal advance = 0;      // what right and centred alignment place
    qreal width = 0;        // natural width, for the bounding rect
    int metricsAdvance = 0; // QFontMetrics::horizontalAdvance, for eliding
    QRectF ink;             // the glyphs' bounds from the line's top-left
    QList<QGlyphRun> runs;  // the line's glyphs at their places, drawn without the layout
    std::vector<std::pair<int, std::string>> elided; // width -> the elided text's key
};

struct CTextLineCache::Font {
    QFont font;
    int dpi = 0;
    bool plain = false; // no underline, overline or strike-out
    Lines lines;
};

bool IsPlainLine(std::string_view text)
{
    if (text.empty() || text.back() == ' ')
        return false;
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= 0x20 && c < 0x7f && c != '&'; });
}

CTextLineCache::CTextLineCache() = default;
CTextLineCache::~CTextLineCache() = default;

CTextLineCache& CTextLineCache::ForThread()
{
    thread_local CTextLineCache cache;
    if (g_mainCache != &cache) {
        const QCoreApplication* app = QCoreApplication::instance();
        if (app && app->thread() == QThread::currentThread()) {
            g_mainCache = &cache;
            qAddPostRoutine(ClearMainCache);
        }
    }
    return cache;
}

size_t CTextLineCache::Size() const
{
    size_t n = 0;
    for (const auto& f : m_fonts)
        n += f->lines.size();
    return n;
}

void CTextLineCache::Clear()
{
    m_fonts.clear();
}

CTextLineCache::Font& CTextLineCache::FontOf(const QFont& font, int dpi)
{
    for (size_t i = 0; i < m_fonts.size(); ++i) {
        if (m_fonts[i]->dpi == dpi && m_fonts[i]->font == font) {
            if (i > 0)
                std::rotate(m_fonts.begin(), m_fonts.begin() + static_cast<std::ptrdiff_t>(i),
                            m_fonts.begin() + static_cast<std::ptrdiff_t>(i) + 1);
            return *m_fonts.front();
        }
    }
    auto added = std::make_unique<Font>();
    added->font = font;
    added->dpi = dpi;
    added->plain = !font.underline() && !font.overline() && !font.strikeOut();
    m_fonts.insert(m_fonts.begin(), std::move(added));
    if (m_fonts.size() > kFonts)
        m_fonts.pop_back();
    return *m_fonts.front();
}

// The layout QPainter::drawText makes for one line: left to right, left aligned (the
// alignment is applied when drawing), as wide as it needs.
const CTextLineCache::Line& CTextLineCache::LineOf(Font& font, std::string_view key, const QString* text)
{
    if (const auto found = font.lines.find(key); found != font.lines.end())
        return *found->second;
    if (font.lines.size() >= kLinesPerFont)
        font.lines.clear();
    const QString s = text ? *text : QString::fromLatin1(key.data(), static_cast<qsizetype>(key.size()));
    auto line = std::make_unique<Line>();
    line->layout.setText(s);
    line->layout.setFont(font.font);
    QTextOption option;
    option.setTextDirection(Qt::LeftToRight);
    option.setAlignment(Qt::AlignLeft);
    line->layout.setTextOption(option);
    line->layout.setCacheEnabled(true);
    line->layout.beginLayout();
    QTextLine l = line->layout.createLine();
    if (l.isValid()) {
        l.setLineWidth(0x01000000);
        l.setPosition(QPointF(0, 0));
    }
    line->layout.endLayout();
    if (l.isValid()) {
        line->height = l.ascent() + l.descent();
        line->advance = l.horizontalAdvance();
        line->width = l.naturalTextWidth();
        line->runs = l.glyphRuns();
        for (const QGlyphRun& run : line->runs)
            line->ink = line->ink.united(run.boundingRect());
    }
    line->metricsAdvance = QFontMetrics(font.font).horizontalAdvance(s);
    return *font.lines.emplace(std::string(key), std::move(line)).first->second;
}

const CTextLineCache::Line& CTextLineCache::ElidedLineOf(Font& font, const Line& line, std::string_view text,
                                                         int width)
{
    for (const auto& [w, key] : line.elided)
        if (w == width)
            return LineOf(font, key, nullptr);
    const QString s = QFontMetrics(font.font).elidedText(
        QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())), Qt::ElideRight, std::max(width, 0));
    const QByteArray utf8 = s.toUtf8();
    const std::string key(utf8.constData(), static_cast<size_t>(utf8.size()));
    // The line may go when the font's lines are dropped to make room: its text is kept.
    const std::string original(text);
    const Line& elided = LineOf(font, key, &s);
    if (const auto again = font.lines.find(original); again != font.lines.end())
        again->second->elided.emplace_back(width, key);
    return elided;
}

CTextLineCache::Font* CTextLineCache::PlainFontOf(const QPainter& painter, std::string_view text, int deviceDpi)
{
    // Printable ASCII has no strong right-to-left character: an automatic direction lays
    // it out left to right.
    if (!IsPlainLine(text) || !painter.isActive() || painter.layoutDirection() == Qt::RightToLeft)
        return nullptr;
    if (deviceDpi < 0) {
        const QPaintDevice* device = painter.device();
        deviceDpi = device ? device->logicalDpiY() : 0;
    }
    Font& font = FontOf(painter.font(), deviceDpi);
    return font.plain ? &font : nullptr;
}

std::optional<int> CTextLineCache::Advance(const QPainter& painter, std::string_view text, int deviceDpi)
{
    Font* font = PlainFontOf(painter, text, deviceDpi);
    if (!font)
        return std::nullopt;
    return LineOf(*font, text, nullptr).metricsAdvance;
}

bool CTextLineCache::Draw(QPainter& painter, const QRect& rect, int alignment, std::string_view text, bool elide,
                          bool clip, QRect* drawn, int deviceDpi)
{
    Font* plain = PlainFontOf(painter, text, deviceDpi);
    if (!plain)
        return false;
    Font& font = *plain;
    const Line* line = &LineOf(font, text, nullptr);
    if (elide && line->metricsAdvance > rect.width()) {
        line = &ElidedLineOf(font, *line, text, rect.width());
        // Nothing is left of the text: drawText draws nothing and tells nothing.
        if (line->layout.text().isEmpty())
            return true;
    }
    const QRectF r(rect);
    qreal yoff = 0;
    if (alignment & Qt::AlignBottom)
        yoff = r.height() - line->height;
    else if (alignment & Qt::AlignVCenter)
        yoff = (r.height() - line->height) / 2;
    qreal xoff = 0;
    qreal boundsOff = 0;
    if (alignment & Qt::AlignRight) {
        xoff = r.width() - line->advance;
        boundsOff = r.width() - line->width;
    } else if (alignment & Qt::AlignHCenter) {
        xoff = (r.width() - line->advance) / 2;
        boundsOff = (r.width() - line->width) / 2;
    }
    if (drawn)
        *drawn = QRectF(r.x() + boundsOff, r.y() + yoff, line->width, line->height).toAlignedRect();
    const QPointF at(r.x() + xoff, r.y() + yoff);
    // On a painter moved by whole pixels the glyph runs land where QTextLine::draw puts
    // the glyphs, without its walk through the layout's items and formats; it first cuts
    // the position to its 1/64 pixel grid. Scaled painters (printing, mapping modes) take
    // the layout.
    const QTransform& device = painter.deviceTransform();
    const bool byRuns = device.type() <= QTransform::TxTranslate && device.dx() == std::trunc(device.dx()) &&
                        device.dy() == std::trunc(device.dy());
    const QPointF grid(static_cast<int>(at.x() * 64) / 64.0, static_cast<int>(at.y() * 64) / 64.0);
    const auto drawRuns = [&] {
        if (!byRuns) {
            line->layout.lineAt(0).draw(&painter, at);
            return;
        }
        for (const QGlyphRun& run : line->runs)
            painter.drawGlyphRun(grid, run);
    };
    // Clipping that cuts nothing is left out: it costs a save and a restore of the painter.
    if (clip && !r.contains(line->ink.translated(at).adjusted(-kInkMargin, -kInkMargin, kInkMargin, kInkMargin))) {
        painter.save();
        painter.setClipRect(rect, painter.hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
        drawRuns();
        painter.restore();
    } else {
        drawRuns();
    }
    return true;
}
