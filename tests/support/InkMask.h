// The ink of a picture: the pixels that differ from its ground. A text shows whole in a
// window when the ink of the text, drawn alone, is found pixel for pixel in the ink of
// the window's picture.
#pragma once

#include <QImage>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <vector>

namespace qx::testsupport {

class CInkMask {
public:
    CInkMask() = default;
    // Ink where the pixel differs from the ground of its row by more than the tolerance in
    // a colour channel (a flat ground repeats one colour in every row).
    CInkMask(const QImage& picture, const std::function<QRgb(int row)>& ground, int tolerance = 0)
        : m_width(picture.width()), m_height(picture.height()), m_ink(static_cast<size_t>(m_width * m_height))
    {
        for (int y = 0; y < m_height; ++y) {
            const QRgb g = ground(y);
            for (int x = 0; x < m_width; ++x) {
                const QRgb p = picture.pixel(x, y);
                const int d = std::max({std::abs(qRed(p) - qRed(g)), std::abs(qGreen(p) - qGreen(g)),
                                        std::abs(qBlue(p) - qBlue(g))});
                m_ink[static_cast<size_t>(y * m_width + x)] = d > tolerance;
            }
        }
    }

    bool At(int x, int y) const { return m_ink[static_cast<size_t>(y * m_width + x)]; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    bool Empty() const { return std::find(m_ink.begin(), m_ink.end(), true) == m_ink.end(); }

    // The ink of columns from..to, cut to the box around it.
    CInkMask Cut(int from, int to) const
    {
        int left = to, right = from - 1, top = m_height, bottom = -1;
        for (int y = 0; y < m_height; ++y)
            for (int x = std::max(0, from); x < std::min(to, m_width); ++x)
                if (At(x, y)) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                    top = std::min(top, y);
                    bottom = std::max(bottom, y);
                }
        CInkMask cut;
        if (right < left)
            return cut;
        cut.m_width = right - left + 1;
        cut.m_height = bottom - top + 1;
        cut.m_ink.resize(static_cast<size_t>(cut.m_width * cut.m_height));
        for (int y = 0; y < cut.m_height; ++y)
            for (int x = 0; x < cut.m_width; ++x)
                cut.m_ink[static_cast<size_t>(y * cut.m_width + x)] = At(left + x, top + y);
        return cut;
    }
    CInkMask Cut() const { return Cut(0, m_width); }

    bool operator==(const CInkMask&) const = default;

    // Whether the other ink shows, pixel for pixel, somewhere in this one.
    bool Holds(const CInkMask& part) const
    {
        if (part.Empty())
            return false;
        for (int top = 0; top + part.m_height <= m_height; ++top)
            for (int left = 0; left + part.m_width <= m_width; ++left) {
                bool same = true;
                for (int y = 0; same && y < part.m_height; ++y)
                    for (int x = 0; same && x < part.m_width; ++x)
                        same = At(left + x, top + y) == part.At(x, y);
                if (same)
                    return true;
            }
        return false;
    }

private:
    int m_width = 0;
    int m_height = 0;
    std::vector<bool> m_ink;
};

}  // namespace qx::testsupport
