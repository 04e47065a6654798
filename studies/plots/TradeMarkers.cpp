#include "studies/plots/TradeMarkers.h"

#include "platform/ui/CBitmap.h"
#include "platform/ui/CDC.h"
#include "studies/plots/CStudyPlot.h"

#include <array>
#include <memory>

namespace {

// 15 rows of 9 pixels, top row first; '#' is foreground.
constexpr const char* kMasks[4][kTradeMarkerHeight] = {
    {"....#....", "...###...", "..#####..", ".#######.", "....#....", "....#....", "....#....", ".........",
     "..####...", "..#...#..", "..#...#..", "..####...", "..#...#..", "..#...#..", "..####..."},
    {"....#....", "...###...", "..#####..", ".#######.", "....#....", "....#....", "....#....", ".........",
     "###...##.", "#..#.#..#", "#..#.#...", "###..#...", "#..#.#...", "#..#.#..#", "###...##."},
    {"...###...", "..#...#..", "..#......", "...###...", "......#..", "..#...#..", "...###...", ".........",
     "....#....", "....#....", "....#....", ".#######.", "..#####..", "...###...", "....#...."},
    {".##...##.", "#..#.#..#", "#....#...", ".##...##.", "...#....#", "#..#.#..#", ".##...##.", ".........",
     "....#....", "....#....", "....#....", ".#######.", "..#####..", "...###...", "....#...."},
};

std::array<std::unique_ptr<CBitmap>, 4>& Glyphs()
{
    static std::array<std::unique_ptr<CBitmap>, 4> glyphs;
    return glyphs;
}

} // namespace

bool TradeMarkerPixel(int kind, int column, int row)
{
    if (kind < 0 || kind > 3 || column < 0 || column >= kTradeMarkerWidth || row < 0 || row >= kTradeMarkerHeight)
        return false;
    return kMasks[kind][row][column] == '#';
}

void LoadTradeMarkerBitmaps()
{
    auto& glyphs = Glyphs();
    CDC screen;
    for (auto& glyph : glyphs) {
        glyph = std::make_unique<CBitmap>();
        glyph->CreateCompatibleBitmap(&screen, kTradeMarkerWidth, kTradeMarkerHeight);
    }
    ColorTradeMarkerBitmaps();
}

void ColorTradeMarkerBitmaps()
{
    auto& glyphs = Glyphs();
    const COLORREF background = SchemeColor(kSchemeMarkerBackground);
    for (int kind = 0; kind < 4; ++kind) {
        if (!glyphs[static_cast<size_t>(kind)])
            continue;
        const COLORREF fore = SchemeColor(kind < 2 ? kSchemeMarkerBuy : kSchemeMarkerSell);
        CDC dc;
        dc.CreateCompatibleDC(nullptr);
        dc.SelectObject(glyphs[static_cast<size_t>(kind)].get());
        dc.FillSolidRect(0, 0, kTradeMarkerWidth, kTradeMarkerHeight, background);
        for (int row = 0; row < kTradeMarkerHeight; ++row)
            for (int column = 0; column < kTradeMarkerWidth; ++column)
                if (TradeMarkerPixel(kind, column, row))
                    dc.SetPixel(column, row, fore);
    }
}

void FreeTradeMarkerBitmaps()
{
    for (auto& glyph : Glyphs())
        glyph.reset();
}

void DrawTradeMarker(CDC* dc, int kind, int x, int yHigh, int yLow)
{
    if (kind < 0 || kind > 3 || !dc)
        return;
    if (!Glyphs()[0])
        LoadTradeMarkerBitmaps();
    const CBitmap* glyph = Glyphs()[static_cast<size_t>(kind)].get();
    if (!glyph)
        return;
    if (kind < 2)
        dc->DrawBitmap(*glyph, x - 4, yLow + 2);
    else
        dc->DrawBitmap(*glyph, x - 4, yHigh - 16);
}
