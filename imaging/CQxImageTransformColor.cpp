// Grey scale, negative, colour depth changes and dithering.
#include "imaging/CQxImage.h"
#include "imaging/CQxImageTransformNearest.h"
#include "imaging/CQxImageTransformView.h"

#include <algorithm>
#include <array>
#include <vector>

namespace {

// Grey level of every palette entry (entries past the palette read as black).
std::array<BYTE, 256> PaletteGreyLevels(const CQxImageTransformView& v)
{
    std::array<BYTE, 256> table{};
    for (unsigned i = 0; i < 256; ++i) {
        const RGBQUAD c = v.PaletteEntry(static_cast<BYTE>(i));
        table[i] = QxGreyLevel(c.rgbRed, c.rgbGreen, c.rgbBlue);
    }
    return table;
}

// Grey levels of one row, as GrayScale would give them.
void RowGreyLevels(const CQxImageTransformView& v, const std::array<BYTE, 256>& table, int64_t y, int* out)
{
    const BYTE* row = v.Row(y);
    const int64_t width = v.Width();
    if (v.HasPalette()) {
        for (int64_t x = 0; x < width; ++x)
            out[x] = table[QxRowGetIndex(row, v.Bpp(), x)];
    } else {
        for (int64_t x = 0; x < width; ++x, row += 3)
            out[x] = QxGreyLevel(row[2], row[1], row[0]);
    }
}

struct DiffusionTap {
    int dx;
    int dy;
    int weight;
};

struct DiffusionMethod {
    int sum;
    std::vector<DiffusionTap> taps;
};

DiffusionMethod DiffusionFor(LONG method)
{
    switch (method) {
    case 2: // Burkes
        return {32, {{1, 0, 8}, {2, 0, 4}, {-2, 1, 2}, {-1, 1, 4}, {0, 1, 8}, {1, 1, 4}, {2, 1, 2}}};
    case 3: // Stucki
        return {42, {{1, 0, 8}, {2, 0, 4}, {-2, 1, 2}, {-1, 1, 4}, {0, 1, 8}, {1, 1, 4}, {2, 1, 2},
                     {-2, 2, 1}, {-1, 2, 2}, {0, 2, 4}, {1, 2, 2}, {2, 2, 1}}};
    case 4: // Jarvis, Judice and Ninke
        return {48, {{1, 0, 7}, {2, 0, 5}, {-2, 1, 3}, {-1, 1, 5}, {0, 1, 7}, {1, 1, 5}, {2, 1, 3},
                     {-2, 2, 1}, {-1, 2, 3}, {0, 2, 5}, {1, 2, 3}, {2, 2, 1}}};
    case 5: // Sierra
        return {32, {{1, 0, 5}, {2, 0, 3}, {-2, 1, 2}, {-1, 1, 4}, {0, 1, 5}, {1, 1, 4}, {2, 1, 2},
                     {-1, 2, 2}, {0, 2, 3}, {1, 2, 2}}};
    case 6: // Stevenson and Arce
        return {200, {{2, 0, 32}, {-3, 1, 12}, {-1, 1, 26}, {1, 1, 30}, {3, 1, 16}, {-2, 2, 12}, {0, 2, 26},
                      {2, 2, 12}, {-3, 3, 5}, {-1, 3, 12}, {1, 3, 12}, {3, 3, 5}}};
    default: // Floyd-Steinberg
        return {16, {{1, 0, 7}, {-1, 1, 3}, {0, 1, 5}, {1, 1, 1}}};
    }
}

// Rows y .. y + 3 of grey levels (with the error spread so far), kept as a ring.
class LevelRows
{
public:
    LevelRows(const CQxImageTransformView& v, const std::array<BYTE, 256>& table)
        : m_view(v), m_table(table), m_rows(4, std::vector<int>(static_cast<size_t>(v.Width())))
    {
        for (int64_t k = 0; k < 4 && k < v.Height(); ++k)
            RowGreyLevels(v, table, k, m_rows[static_cast<size_t>(k)].data());
    }
    int* Row(int64_t y) { return m_rows[static_cast<size_t>(y & 3)].data(); }
    // Row y is done: its slot takes row y + 4.
    void Advance(int64_t y)
    {
        if (y + 4 < m_view.Height())
            RowGreyLevels(m_view, m_table, y + 4, Row(y));
    }

private:
    const CQxImageTransformView& m_view;
    const std::array<BYTE, 256>& m_table;
    std::vector<std::vector<int>> m_rows;
};

void ClampAdd(int& v, int add)
{
    v = std::clamp(v + add, 0, 255);
}

} // namespace

bool CQxImage::GrayScale()
{
    if (!IsValid())
        return false;
    const CQxImageTransformView src(*this);
    const int64_t width = src.Width();
    const int64_t height = src.Height();
    CQxImage work;
    if (!TransformCreateWork(work, width, height, 8, true))
        return false;
    work.m_head.biClrImportant = 0;
    work.SetGrayPalette();
    if (m_pSelection && !work.SelectionCopy(*this))
        return false;
    if (m_pAlpha && !work.AlphaCopy(*this))
        return false;
    const CQxImageTransformView dst(work);
    const std::array<BYTE, 256> table = PaletteGreyLevels(src);
    std::vector<int> levels(static_cast<size_t>(width));
    for (int64_t y = 0; y < height; ++y) {
        SetProgress(static_cast<LONG>(y * 100 / height));
        if (GetEscape() > 0)
            return false;
        RowGreyLevels(src, table, y, levels.data());
        BYTE* d = dst.Row(y);
        for (int64_t x = 0; x < width; ++x)
            d[x] = static_cast<BYTE>(levels[static_cast<size_t>(x)]);
    }
    // The transparent index becomes the grey level of the transparent colour.
    const LONG trans = GetTransIndex();
    if (trans >= 0) {
        const RGBQUAD t = GetTransColor();
        work.m_info.nBkgndIndex = QxGreyLevel(t.rgbRed, t.rgbGreen, t.rgbBlue);
    }
    return TransformDeliver(work, nullptr);
}

bool CQxImage::Negative()
{
    if (!IsValid())
        return false;
    const CQxImageTransformView v(*this);
    const int64_t width = v.Width();
    const int64_t height = v.Height();
    RECT box{};
    SelectionGetBox(box);
    const int64_t x0 = m_pSelection ? std::max<int64_t>(0, box.left) : 0;
    const int64_t x1 = m_pSelection ? std::min<int64_t>(width - 1, box.right) : width - 1;
    const int64_t y0 = m_pSelection ? std::max<int64_t>(0, box.bottom) : 0;
    const int64_t y1 = m_pSelection ? std::min<int64_t>(height - 1, box.top) : height - 1;

    if (!v.HasPalette()) {
        if (m_pSelection) {
            for (int64_t y = y0; y <= y1; ++y) {
                BYTE* row = v.Row(y);
                for (int64_t x = x0; x <= x1; ++x) {
                    if (!m_pSelection[y * width + x])
                        continue;
                    BYTE* p = row + x * 3;
                    p[0] = static_cast<BYTE>(255 - p[0]);
                    p[1] = static_cast<BYTE>(255 - p[1]);
                    p[2] = static_cast<BYTE>(255 - p[2]);
                }
            }
        } else {
            BYTE* p = v.Row(0);
            const int64_t size = v.EffWidth() * height;
            for (int64_t i = 0; i < size; ++i)
                p[i] = static_cast<BYTE>(~p[i]);
        }
        RGBQUAD& t = m_info.nBkgndColor;
        t.rgbBlue = static_cast<BYTE>(255 - t.rgbBlue);
        t.rgbGreen = static_cast<BYTE>(255 - t.rgbGreen);
        t.rgbRed = static_cast<BYTE>(255 - t.rgbRed);
        return true;
    }
    if (!IsGrayScale()) {
        RGBQUAD* pal = GetPalette();
        for (DWORD i = 0; i < GetNumColors(); ++i) {
            pal[i].rgbBlue = static_cast<BYTE>(255 - pal[i].rgbBlue);
            pal[i].rgbGreen = static_cast<BYTE>(255 - pal[i].rgbGreen);
            pal[i].rgbRed = static_cast<BYTE>(255 - pal[i].rgbRed);
        }
        m_info.last_c_isvalid = false;
        return true;
    }
    const int bpp = v.Bpp();
    const BYTE mask = static_cast<BYTE>((1u << bpp) - 1);
    for (int64_t y = y0; y <= y1; ++y) {
        BYTE* row = v.Row(y);
        for (int64_t x = x0; x <= x1; ++x) {
            if (m_pSelection && !m_pSelection[y * width + x])
                continue;
            QxRowSetIndex(row, bpp, x, static_cast<BYTE>(~QxRowGetIndex(row, bpp, x) & mask));
        }
    }
    return true;
}

bool CQxImage::IncreaseBpp(DWORD nbit)
{
    if (!IsValid())
        return false;
    const DWORD bpp = GetBpp();
    if (nbit != 4 && nbit != 8 && nbit != 24)
        return false;
    if (bpp == nbit)
        return true;
    if (bpp > nbit)
        return false;
    const CQxImageTransformView src(*this);
    const int64_t width = src.Width();
    const int64_t height = src.Height();
    CQxImage work;
    if (!TransformCreateWork(work, width, height, nbit, true))
        return false;
    if (m_pSelection && !work.SelectionCopy(*this))
        return false;
    if (m_pAlpha && !work.AlphaCopy(*this))
        return false;
    if (nbit == 24) {
        if (GetTransIndex() >= 0)
            work.SetTransColor(GetTransColor());
        if (!m_pAlpha && AlphaPaletteIsValid() && !work.AlphaCreate())
            return false;
    }
    const CQxImageTransformView dst(work);
    for (int64_t y = 0; y < height; ++y) {
        SetProgress(static_cast<LONG>(y * 100 / height));
        if (GetEscape() > 0)
            return false;
        const BYTE* s = src.Row(y);
        BYTE* d = dst.Row(y);
        BYTE* da = dst.HasAlpha() ? dst.AlphaRow(y) : nullptr;
        for (int64_t x = 0; x < width; ++x) {
            if (nbit == 24) {
                const RGBQUAD c = src.Color(x, y);
                BYTE* p = d + x * 3;
                p[0] = c.rgbBlue;
                p[1] = c.rgbGreen;
                p[2] = c.rgbRed;
                if (da)
                    da[x] = c.rgbReserved;
            } else {
                QxRowSetIndex(d, static_cast<int>(nbit), x, QxRowGetIndex(s, static_cast<int>(bpp), x));
            }
        }
    }
    return TransformDeliver(work, nullptr);
}

bool CQxImage::DecreaseBpp(DWORD nbit, bool errordiffusion, RGBQUAD* ppal, DWORD clrimportant)
{
    if (!IsValid())
        return false;
    if (nbit != 1 && nbit != 4 && nbit != 8)
        return false;
    const DWORD bpp = GetBpp();
    if (nbit > bpp)
        return false;
    if (nbit == bpp) {
        if (clrimportant == 0)
            return true;
        // A colours-important value of 0 means every palette entry counts.
        const DWORD current = GetClrImportant() ? GetClrImportant() : GetNumColors();
        if (current < clrimportant)
            return true;
    }
    const CQxImageTransformView src(*this);
    const int64_t width = src.Width();
    const int64_t height = src.Height();
    CQxImage work;
    if (!TransformCreateWork(work, width, height, nbit, true))
        return false;
    work.m_head.biClrImportant = 0;
    if (clrimportant)
        work.SetClrImportant(clrimportant);
    if (nbit == 1) {
        if (ppal) {
            work.SetPalette(ppal, 2);
        } else {
            work.SetPaletteColor(0, 0, 0, 0, 0);
            work.SetPaletteColor(1, 255, 255, 255, 0);
        }
    } else if (ppal) {
        work.SetPalette(ppal, nbit == 4 ? 16 : 256);
    } else {
        work.SetStdPalette();
    }
    if (work.GetTransIndex() >= static_cast<LONG>(work.GetNumColors()))
        work.m_info.nBkgndIndex = -1;
    if (m_pSelection && !work.SelectionCopy(*this))
        return false;
    if (m_pAlpha && !work.AlphaCopy(*this))
        return false;

    const CQxImageTransformView dst(work);
    const int outBpp = static_cast<int>(nbit);
    // Source colours of the current and the next row, with the error spread so far.
    std::vector<int> cur(static_cast<size_t>(width) * 3), next(static_cast<size_t>(width) * 3);
    auto loadRow = [&](int64_t y, std::vector<int>& out) {
        for (int64_t x = 0; x < width; ++x) {
            const RGBQUAD c = src.Color(x, y);
            out[static_cast<size_t>(x) * 3 + 0] = c.rgbBlue;
            out[static_cast<size_t>(x) * 3 + 1] = c.rgbGreen;
            out[static_cast<size_t>(x) * 3 + 2] = c.rgbRed;
        }
    };
    loadRow(0, cur);
    CQxImageTransformNearest nearest(work);
    for (int64_t y = 0; y < height; ++y) {
        SetProgress(static_cast<LONG>(y * 100 / height));
        if (GetEscape() > 0)
            return false;
        const bool hasNext = y + 1 < height;
        if (hasNext)
            loadRow(y + 1, next);
        BYTE* d = dst.Row(y);
        for (int64_t x = 0; x < width; ++x) {
            int* c = &cur[static_cast<size_t>(x) * 3];
            const BYTE index =
                nearest.Index(QxMakeQuad(static_cast<BYTE>(c[2]), static_cast<BYTE>(c[1]), static_cast<BYTE>(c[0]), 0));
            QxRowSetIndex(d, outBpp, x, index);
            if (!errordiffusion)
                continue;
            const RGBQUAD got = dst.PaletteEntry(index);
            const int err[3] = {c[0] - got.rgbBlue, c[1] - got.rgbGreen, c[2] - got.rgbRed};
            auto spread = [&](std::vector<int>& row, int64_t at, int weight) {
                if (at < 0 || at >= width)
                    return;
                int* p = &row[static_cast<size_t>(at) * 3];
                for (int k = 0; k < 3; ++k)
                    ClampAdd(p[k], err[k] * weight / 16);
            };
            spread(cur, x + 1, 7);
            if (hasNext) {
                spread(next, x - 1, 2);
                spread(next, x, 4);
                spread(next, x + 1, 1);
            }
        }
        cur.swap(next);
    }
    return TransformDeliver(work, nullptr);
}

bool CQxImage::Dither(LONG method)
{
    if (!IsValid())
        return false;
    if (GetBpp() == 1)
        return true;
    const CQxImageTransformView src(*this);
    const int64_t width = src.Width();
    const int64_t height = src.Height();
    CQxImage work;
    if (!TransformCreateWork(work, width, height, 1, true))
        return false;
    work.m_head.biClrImportant = 0;
    work.SetPaletteColor(0, 0, 0, 0, 0);
    work.SetPaletteColor(1, 255, 255, 255, 0);
    if (work.GetTransIndex() >= 2)
        work.m_info.nBkgndIndex = -1;
    if (m_pSelection && !work.SelectionCopy(*this))
        return false;
    if (m_pAlpha && !work.AlphaCopy(*this))
        return false;

    const CQxImageTransformView dst(work);
    const std::array<BYTE, 256> table = PaletteGreyLevels(src);
    LevelRows levels(src, table);
    static const int kOrdered[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
    // Order-4 Bayer thresholds, entry (x mod 4) + 4 (y mod 4).
    static const int kBayer[16] = {0, 192, 48, 240, 128, 64, 176, 112, 32, 224, 16, 208, 160, 96, 144, 80};
    const bool ordered = method == 1 || method == 7;
    const DiffusionMethod diffusion = DiffusionFor(method);

    for (int64_t y = 0; y < height; ++y) {
        SetProgress(static_cast<LONG>(y * 100 / height));
        if (GetEscape() > 0)
            return false;
        int* row = levels.Row(y);
        BYTE* d = dst.Row(y);
        for (int64_t x = 0; x < width; ++x) {
            const int level = row[x];
            BYTE out;
            if (method == 1) {
                const int dl = level * 16 / 255;
                out = (dl == 16 || kOrdered[y & 3][x & 3] < dl) ? 1 : 0;
            } else if (method == 7) {
                out = level > kBayer[(x & 3) + 4 * (y & 3)] ? 1 : 0;
            } else {
                out = level > 128 ? 1 : 0;
            }
            QxRowSetIndex(d, 1, x, out);
            if (ordered)
                continue;
            const int err = out ? level - 255 : level;
            for (const DiffusionTap& t : diffusion.taps) {
                const int64_t nx = x + t.dx;
                const int64_t ny = y + t.dy;
                if (nx < 0 || nx >= width || ny >= height)
                    continue;
                ClampAdd(levels.Row(ny)[nx], err * t.weight / diffusion.sum);
            }
        }
        levels.Advance(y);
    }
    return TransformDeliver(work, nullptr);
}
