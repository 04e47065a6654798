// One-line texts laid out once per font and drawn again from their layout. Grids and
// lists repaint the same cell texts over and over; QPainter::drawText(rect, flags, text)
// lays each one out anew (itemizing, shaping, line breaking) on every call. A line drawn
// from here has the glyphs and positions that call would give it, so the pixels are the
// same.
//
// Only plain lines qualify: printable ASCII without '&', no trailing blank, in a font
// without underline, overline or strike-out, on a painter that is not right to left.
// Draw answers false for any other and draws nothing; the caller then takes its general
// path.
#pragma once

#include <QFont>
#include <QRect>

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class QPainter;
class QTextLayout;

class CTextLineCache {
public:
    CTextLineCache();
    ~CTextLineCache();
    CTextLineCache(const CTextLineCache&) = delete;
    CTextLineCache& operator=(const CTextLineCache&) = delete;

    // The cache of the calling thread (printing and image exports paint off the UI thread).
    static CTextLineCache& ForThread();

    // Draws the text in the painter's font and pen as
    //     painter.drawText(rect, alignment | Qt::TextSingleLine | Qt::TextDontClip, text, drawn)
    // does. alignment: Qt::AlignLeft, AlignRight or AlignHCenter with AlignTop, AlignBottom
    // or AlignVCenter. elide: a text wider than the rect (QFontMetrics::horizontalAdvance) is
    // first cut as QFontMetrics::elidedText(text, Qt::ElideRight, width) cuts it. clip: nothing
    // lands outside rect. False, with nothing drawn, when the line does not qualify.
    // deviceDpi: the painter's device's logicalDpiY() when the caller knows it (asking a
    // widget goes through its screen), -1 to have it asked.
    bool Draw(QPainter& painter, const QRect& rect, int alignment, std::string_view text, bool elide, bool clip,
              QRect* drawn = nullptr, int deviceDpi = -1);

    // The text's QFontMetrics::horizontalAdvance in the painter's font, from the line's
    // layout (the same Draw uses); nullopt for a text Draw would not take.
    std::optional<int> Advance(const QPainter& painter, std::string_view text, int deviceDpi = -1);

    // Lines kept, over all fonts.
    size_t Size() const;
    void Clear();

private:
    struct Line;
    struct Font;
    struct Hash {
        using is_transparent = void;
        size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
    };
    using Lines = std::unordered_map<std::string, std::unique_ptr<Line>, Hash, std::equal_to<>>;

    Font& FontOf(const QFont& font, int dpi);
    // The painter's font when the text is a plain line in it, drawn left to right.
    Font* PlainFontOf(const QPainter& painter, std::string_view text, int deviceDpi);
    // key: the text's UTF-8; text: the same as a QString when it is at hand.
    const Line& LineOf(Font& font, std::string_view key, const QString* text);
    const Line& ElidedLineOf(Font& font, const Line& line, std::string_view text, int width);

    std::vector<std::unique_ptr<Font>> m_fonts; // most recently used first
};

// True for texts CTextLineCache can draw: printable ASCII without '&' and without a
// trailing blank (font and direction aside).
bool IsPlainLine(std::string_view text);
