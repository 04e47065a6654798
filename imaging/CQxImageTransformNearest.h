// Nearest palette entry for many colours in a row: remembers the answers of the image's
// own search (GetNearestIndex), so repeated colours cost one table look-up. Private to
// the imaging library; the palette must not change while the memo is in use.
#pragma once

#include "imaging/CQxImage.h"
#include "imaging/CQxImageTransformView.h"

#include <cstdint>
#include <vector>

class CQxImageTransformNearest
{
public:
    explicit CQxImageTransformNearest(CQxImage& target);

    BYTE Index(const RGBQUAD& c)
    {
        const uint32_t key = (static_cast<uint32_t>(c.rgbRed) << 16) | (static_cast<uint32_t>(c.rgbGreen) << 8) |
                             c.rgbBlue | kValid;
        if (m_slots.empty())
            m_slots.resize(size_t{1} << kBits);
        Slot& s = m_slots[Hash(key)];
        if (s.key != key) {
            s.key = key;
            s.index = m_target.GetNearestIndex(RGBQUAD{c.rgbBlue, c.rgbGreen, c.rgbRed, 0});
        }
        return s.index;
    }

private:
    static constexpr uint32_t kValid = 0x80000000u;
    static constexpr int kBits = 15;
    static uint32_t Hash(uint32_t key) { return ((key & 0xFFFFFFu) * 2654435761u) >> (32 - kBits); }

    struct Slot {
        uint32_t key = 0;
        BYTE index = 0;
    };
    CQxImage& m_target;
    std::vector<Slot> m_slots;
};

// Stores colour q as pixel x of destination row d: its nearest palette index when the
// target has a palette, else its bytes; and its alpha in da when there is one.
inline void QxStoreColor(CQxImageTransformNearest& nearest, bool palette, int bpp, const RGBQUAD& q, BYTE* d,
                         BYTE* da, int64_t x)
{
    if (palette) {
        QxRowSetIndex(d, bpp, x, nearest.Index(q));
    } else {
        BYTE* p = d + x * 3;
        p[0] = q.rgbBlue;
        p[1] = q.rgbGreen;
        p[2] = q.rgbRed;
    }
    if (da)
        da[x] = q.rgbReserved;
}
