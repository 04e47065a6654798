// Cached text lines against QPainter's own drawText: the same pixels, the same bounds.
#include "platform/ui/CBitmap.h"
#include "platform/ui/CDC.h"
#include "platform/ui/CFont.h"
#include "platform/ui/CTextLineCache.h"

#include <gtest/gtest.h>

#include <QFont>
#include <QImage>
#include <QPainter>

#include <string>
#include <vector>

namespace {

QImage White(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

// Pixels that differ between two images of one size.
int Differing(const QImage& a, const QImage& b)
{
    int n = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            n += a.pixel(x, y) != b.pixel(x, y);
    return n;
}

int Inked(const QImage& a)
{
    int n = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            n += (a.pixel(x, y) & 0xffffff) != 0xffffff;
    return n;
}

std::vector<QFont> Fonts()
{
    QFont sans("DejaVu Sans");
    sans.setPixelSize(13);
    QFont bold("DejaVu Sans");
    bold.setPixelSize(12);
    bold.setBold(true);
    QFont italic("DejaVu Serif");
    italic.setPointSize(11);
    italic.setItalic(true);
    return {QFont(), sans, bold, italic};
}

const char* const kTexts[] = {"1", "23.45", "-0.0125", "1,234,567", "MSFT", "A made-up company", "NASD",
                              "Wide Wide Wide Wide Wide Wide Wide", "j(g)y|", " leading"};

const int kAlignments[] = {Qt::AlignLeft | Qt::AlignVCenter,  Qt::AlignRight | Qt::AlignVCenter,
                           Qt::AlignHCenter | Qt::AlignVCenter, Qt::AlignLeft | Qt::AlignTop,
                           Qt::AlignRight | Qt::AlignBottom,   Qt::AlignHCenter | Qt::AlignTop};

} // namespace

// Every plain line, font and alignment, with and without eliding, in rectangles of odd
// and even sizes: pixel for pixel what drawText gives, and the bounds it reports.
TEST(TextLineCache, DrawsWhatDrawTextDraws)
{
    CTextLineCache cache;
    const QRect rects[] = {QRect(3, 2, 90, 17), QRect(10, 30, 41, 16), QRect(0, 60, 200, 21), QRect(7, 90, 13, 15)};
    int cases = 0;
    for (const QFont& font : Fonts()) {
        for (const char* text : kTexts) {
            for (int alignment : kAlignments) {
                for (bool elide : {false, true}) {
                    QImage expected = White(220, 120), actual = White(220, 120);
                    QPainter e(&expected), a(&actual);
                    for (QPainter* p : {&e, &a}) {
                        p->setFont(font);
                        p->setPen(QColor(20, 40, 200));
                    }
                    for (const QRect& r : rects) {
                        QString s = QString::fromLatin1(text);
                        if (elide && e.fontMetrics().horizontalAdvance(s) > r.width())
                            s = e.fontMetrics().elidedText(s, Qt::ElideRight, r.width());
                        QRect want, got;
                        e.drawText(r, alignment | Qt::TextSingleLine | Qt::TextDontClip, s, &want);
                        ASSERT_TRUE(cache.Draw(a, r, alignment, text, elide, false, &got)) << text;
                        if (!s.isEmpty()) {
                            EXPECT_EQ(want, got) << text << " in " << r.width() << " x " << r.height();
                        }
                        ++cases;
                    }
                    e.end();
                    a.end();
                    EXPECT_EQ(0, Differing(expected, actual))
                        << text << ", " << font.family().toStdString() << ", alignment " << alignment;
                }
            }
        }
    }
    EXPECT_EQ(4 * 10 * 6 * 2 * 4, cases);
    // Each text once per font, and the elided forms once per width.
    EXPECT_LT(cache.Size(), static_cast<size_t>(cases) / 4);
}

// Clipping keeps a line inside its rectangle, as a clip rectangle around drawText does.
TEST(TextLineCache, ClipsToItsRectangle)
{
    CTextLineCache cache;
    QFont font("DejaVu Sans");
    font.setPixelSize(20);
    QImage expected = White(120, 40), actual = White(120, 40);
    QPainter e(&expected), a(&actual);
    e.setFont(font);
    a.setFont(font);
    const QRect r(10, 8, 30, 12); // lower than the font: the glyphs reach beyond it
    e.setClipRect(r);
    e.drawText(r, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextDontClip, "Wide text");
    ASSERT_TRUE(cache.Draw(a, r, Qt::AlignLeft | Qt::AlignVCenter, "Wide text", false, true));
    e.end();
    a.end();
    EXPECT_GT(Inked(actual), 0);
    EXPECT_EQ(0, Differing(expected, actual));
    for (int y = 0; y < actual.height(); ++y)
        for (int x = 0; x < actual.width(); ++x)
            if (!r.contains(x, y)) {
                ASSERT_EQ(0xffffffu, actual.pixel(x, y) & 0xffffff) << x << "," << y;
            }
}

TEST(TextLineCache, LeavesAnythingButPlainLinesToTheCaller)
{
    EXPECT_TRUE(IsPlainLine("12.50"));
    EXPECT_FALSE(IsPlainLine(""));
    EXPECT_FALSE(IsPlainLine("Q&A"));        // a mnemonic to underline, maybe
    EXPECT_FALSE(IsPlainLine("a\tb"));       // tabs expand, or not
    EXPECT_FALSE(IsPlainLine("two\nlines")); // lines break, or join
    EXPECT_FALSE(IsPlainLine("trailing "));  // trailing blanks count for some alignments
    EXPECT_FALSE(IsPlainLine("caf\xc3\xa9"));
    CTextLineCache cache;
    QImage image = White(60, 20);
    QPainter p(&image);
    QFont struck;
    struck.setStrikeOut(true);
    p.setFont(struck);
    EXPECT_FALSE(cache.Draw(p, QRect(0, 0, 60, 20), Qt::AlignLeft, "12.50", false, false));
    p.setFont(QFont());
    p.setLayoutDirection(Qt::RightToLeft);
    EXPECT_FALSE(cache.Draw(p, QRect(0, 0, 60, 20), Qt::AlignLeft, "12.50", false, false));
    p.end();
    EXPECT_EQ(0, Inked(image));
    EXPECT_EQ(0u, cache.Size());
}

// CDC::DrawText of grid cells: the picture and the height it returns are those of the
// general path (clip to the rectangle, drawText with the same flags).
TEST(TextLineCache, CdcDrawTextKeepsItsPictureAndResult)
{
    const UINT formats[] = {DT_LEFT, DT_RIGHT, DT_CENTER};
    for (UINT horizontal : formats) {
        for (const char* text : kTexts) {
            CBitmap bitmap;
            CDC dc;
            dc.CreateCompatibleDC(nullptr);
            bitmap.CreateCompatibleBitmap(&dc, 120, 20);
            dc.SelectObject(&bitmap);
            CFont font;
            font.CreateFont(-13, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "DejaVu Sans");
            dc.SelectObject(&font);
            dc.FillSolidRect(0, 0, 120, 20, RGB(255, 255, 255));
            dc.SetBkMode(TRANSPARENT);
            dc.SetTextColor(RGB(200, 0, 0));
            CRect rect(4, 1, 80, 18);
            CTextLineCache::ForThread().Clear();
            const int height =
                dc.DrawText(text, &rect, horizontal | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);

            QImage expected(bitmap.Image()->size(), bitmap.Image()->format());
            expected.fill(Qt::white);
            QPainter p(&expected);
            p.setFont(dc.GetPainter()->font());
            const QRect r(4, 1, 76, 17);
            QString s = QString::fromLatin1(text);
            if (p.fontMetrics().horizontalAdvance(s) > r.width())
                s = p.fontMetrics().elidedText(s, Qt::ElideRight, r.width());
            const int alignment = horizontal == DT_RIGHT ? Qt::AlignRight
                                  : horizontal == DT_CENTER ? Qt::AlignHCenter
                                                            : Qt::AlignLeft;
            p.setClipRect(r);
            p.setPen(QColor(200, 0, 0));
            QRect drawn;
            p.drawText(r, alignment | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextDontClip, s, &drawn);
            p.end();
            EXPECT_EQ(drawn.y() + drawn.height() - 1, height) << text;
            EXPECT_LE(1u, CTextLineCache::ForThread().Size()) << text << ": drawn from the cache";
            EXPECT_EQ(0, Differing(expected, *bitmap.Image())) << text << ", format " << horizontal;
        }
    }
}
