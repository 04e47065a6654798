// Selection mask: one byte per pixel (255 selected) with a bounding box.
#include "imaging/CQxImage.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {
LONG Clamp(LONG v, LONG lo, LONG hi)
{
    return std::max(lo, std::min(v, hi));
}
}  // namespace

void CQxImage::SelectionResetBox()
{
    m_info.rSelectionBox.left = m_head.biWidth;
    m_info.rSelectionBox.top = 0;
    m_info.rSelectionBox.right = 0;
    m_info.rSelectionBox.bottom = m_head.biHeight;
}

bool CQxImage::SelectionCreate()
{
    SelectionDelete();
    if (m_pDib == nullptr)
        return false;
    m_pSelection = static_cast<BYTE*>(std::calloc(static_cast<size_t>(GetWidth()) * GetHeight(), 1));
    return m_pSelection != nullptr;
}

bool CQxImage::SelectionDelete()
{
    std::free(m_pSelection);
    m_pSelection = nullptr;
    SelectionResetBox();
    return true;
}

bool CQxImage::SelectionClear()
{
    if (m_pSelection == nullptr)
        return false;
    std::memset(m_pSelection, 0, static_cast<size_t>(GetWidth()) * GetHeight());
    SelectionResetBox();
    return true;
}

bool CQxImage::SelectionIsInside(LONG x, LONG y) const
{
    if (!IsInside(x, y))
        return false;
    if (m_pSelection == nullptr)
        return true;
    return m_pSelection[static_cast<size_t>(x) + static_cast<size_t>(y) * static_cast<size_t>(m_head.biWidth)] != 0;
}

bool CQxImage::SelectionAddRect(RECT r)
{
    if (m_pSelection == nullptr && !SelectionCreate())
        return false;
    const LONG width = m_head.biWidth;
    const LONG height = m_head.biHeight;
    const LONG xmin = Clamp(std::min(r.left, r.right), 0, width);
    const LONG xmax = Clamp(std::max(r.left, r.right), 0, width);
    const LONG ymin = Clamp(std::min(r.top, r.bottom), 0, height);
    const LONG ymax = Clamp(std::max(r.top, r.bottom), 0, height);
    RECT& box = m_info.rSelectionBox;
    box.top = std::max(box.top, ymax);
    box.left = std::min(box.left, xmin);
    box.right = std::max(box.right, xmax);
    box.bottom = std::min(box.bottom, ymin);
    for (LONG y = ymin; y < ymax; ++y)
        std::memset(m_pSelection + static_cast<size_t>(xmin) + static_cast<size_t>(y) * static_cast<size_t>(width),
                    255, static_cast<size_t>(xmax - xmin));
    return true;
}

bool CQxImage::SelectionAddEllipse(RECT r)
{
    if (m_pSelection == nullptr && !SelectionCreate())
        return false;
    const int64_t xradius = std::llabs(static_cast<int64_t>(r.right) - r.left) / 2;
    const int64_t yradius = std::llabs(static_cast<int64_t>(r.top) - r.bottom) / 2;
    if (xradius == 0 || yradius == 0)
        return false;
    const int64_t xcenter = (static_cast<int64_t>(r.right) + r.left) / 2;
    const int64_t ycenter = (static_cast<int64_t>(r.top) + r.bottom) / 2;
    const LONG width = m_head.biWidth;
    const LONG height = m_head.biHeight;
    auto clamp64 = [](int64_t v, LONG hi) { return static_cast<LONG>(std::max<int64_t>(0, std::min<int64_t>(v, hi))); };
    const LONG x0 = clamp64(xcenter - xradius, width);
    const LONG x1 = clamp64(xcenter + xradius, width);
    const LONG y0 = clamp64(ycenter - yradius, height);
    const LONG y1 = clamp64(ycenter + yradius, height);
    RECT& box = m_info.rSelectionBox;
    box.left = std::min(box.left, x0);
    box.right = std::max(box.right, x1);
    box.bottom = std::min(box.bottom, y0);
    box.top = std::max(box.top, y1);
    const LONG yc = clamp64(ycenter, height);
    for (LONG x = x0; x < x1; ++x) {
        const double t = static_cast<double>(x - xcenter) / static_cast<double>(xradius);
        const double d = static_cast<double>(yradius) * std::sqrt(std::max(0.0, 1.0 - t * t));
        for (LONG y = y0; y < yc; ++y)
            if (static_cast<int64_t>(static_cast<double>(ycenter) - d) < y)
                m_pSelection[static_cast<size_t>(x) + static_cast<size_t>(y) * static_cast<size_t>(width)] = 255;
        for (LONG y = std::max<LONG>(yc, 0); y < y1; ++y)
            if (static_cast<int64_t>(d + static_cast<double>(ycenter)) > y)
                m_pSelection[static_cast<size_t>(x) + static_cast<size_t>(y) * static_cast<size_t>(width)] = 255;
    }
    return true;
}

bool CQxImage::SelectionAddPolygon(const POINT* points, LONG npoints)
{
    if (points == nullptr || npoints < 3)
        return false;
    if (m_pSelection == nullptr && !SelectionCreate())
        return false;
    const LONG width = m_head.biWidth;
    const LONG height = m_head.biHeight;
    const size_t stride = static_cast<size_t>(width);
    std::vector<BYTE> plocal;
    try {
        plocal.assign(stride * static_cast<size_t>(height), 0);
    } catch (...) {
        return false;
    }
    RECT localbox{width, 0, 0, height};
    auto plot = [&](int64_t x, int64_t y) {
        if (x >= 0 && y >= 0 && x < width && y < height)
            plocal[static_cast<size_t>(x) + static_cast<size_t>(y) * stride] = 255;
    };

    LONG start = 0;
    for (LONG i = 0; i < npoints; ++i) {
        const POINT& p1 = points[i];
        if (i > 0 && points[i - 1].x == -1)
            start = i;
        LONG next = i + 1;
        if (next >= npoints || points[next].x == -1)
            next = start;
        const POINT& p2 = points[next];
        if (p1.x != -1) {
            const int64_t x1 = p1.x, y1 = p1.y, x2 = p2.x, y2 = p2.y;
            // Only the part of each edge that can land in the image is walked,
            // so far-away coordinates cost nothing.
            if (x1 != x2) {
                const int64_t from = std::max<int64_t>(std::min(x1, x2), 0);
                const int64_t to = std::min<int64_t>(std::max(x1, x2), width - 1);
                for (int64_t x = from; x <= to; ++x) {
                    const double y = static_cast<double>(x - x1) * static_cast<double>(y2 - y1) /
                                         static_cast<double>(x2 - x1) +
                                     static_cast<double>(y1);
                    if (y > -1.0 && y < static_cast<double>(height))
                        plot(x, static_cast<int64_t>(y));
                }
            }
            if (y1 != y2) {
                const int64_t from = std::max<int64_t>(std::min(y1, y2), 0);
                const int64_t to = std::min<int64_t>(std::max(y1, y2), height - 1);
                for (int64_t y = from; y <= to; ++y) {
                    const double x = static_cast<double>(y - y1) * static_cast<double>(x2 - x1) /
                                         static_cast<double>(y2 - y1) +
                                     static_cast<double>(x1);
                    if (x > -1.0 && x < static_cast<double>(width))
                        plot(static_cast<int64_t>(x), y);
                }
            }
        }
        auto clamp64 = [](int64_t v, LONG hi) { return static_cast<LONG>(std::max<int64_t>(0, std::min<int64_t>(v, hi))); };
        const int64_t ax = p1.x, ay = p1.y, bx = p2.x, by = p2.y;
        localbox.top = std::max(localbox.top, clamp64(std::max(ay, by) + 1, height - 1));
        localbox.left = std::min(localbox.left, clamp64(std::min(ax, bx) - 1, width - 1));
        localbox.right = std::max(localbox.right, clamp64(std::max(ax, bx) + 1, width - 1));
        localbox.bottom = std::min(localbox.bottom, clamp64(std::min(ay, by) - 1, height - 1));
    }

    // Mark everything outside the outline (reachable from the box border) with 1;
    // the queue grows as needed so no seed is lost.
    std::vector<POINT> queue;
    auto inBox = [&](LONG x, LONG y) {
        return x >= localbox.left && x <= localbox.right && y >= localbox.bottom && y <= localbox.top;
    };
    auto fill = [&](LONG sx, LONG sy) {
        if (plocal[static_cast<size_t>(sx) + static_cast<size_t>(sy) * stride] != 0)
            return;
        queue.clear();
        queue.push_back(POINT{sx, sy});
        for (size_t head = 0; head < queue.size(); ++head) {
            const POINT pt = queue[head];
            if (!inBox(pt.x, pt.y))
                continue;
            auto visit = [&](LONG x) {
                BYTE& v = plocal[static_cast<size_t>(x) + static_cast<size_t>(pt.y) * stride];
                if (v != 0)
                    return false;
                v = 1;
                if (pt.y >= 1 && plocal[static_cast<size_t>(x) + static_cast<size_t>(pt.y - 1) * stride] == 0)
                    queue.push_back(POINT{x, pt.y - 1});
                if (pt.y + 1 < height && plocal[static_cast<size_t>(x) + static_cast<size_t>(pt.y + 1) * stride] == 0)
                    queue.push_back(POINT{x, pt.y + 1});
                return true;
            };
            for (LONG x = pt.x; x <= localbox.right && visit(x); ++x) {
            }
            for (LONG x = pt.x - 1; x >= localbox.left && visit(x); --x) {
            }
        }
    };
    // Seeds queued from neighbours may leave the box; keep the fill inside it.
    auto fillBoxed = [&](LONG x, LONG y) {
        if (inBox(x, y))
            fill(x, y);
    };
    if (localbox.left <= localbox.right && localbox.bottom <= localbox.top) {
        for (LONG x = localbox.left; x <= localbox.right; ++x)
            fillBoxed(x, localbox.bottom);
        for (LONG y = localbox.bottom; y <= localbox.top; ++y)
            fillBoxed(localbox.right, y);
        for (LONG x = localbox.left; x <= localbox.right; ++x)
            fillBoxed(x, localbox.top);
        for (LONG y = localbox.bottom; y <= localbox.top; ++y)
            fillBoxed(localbox.left, y);

        for (LONG y = localbox.bottom; y <= localbox.top; ++y)
            for (LONG x = localbox.left; x <= localbox.right; ++x)
                if (plocal[static_cast<size_t>(x) + static_cast<size_t>(y) * stride] != 1)
                    m_pSelection[static_cast<size_t>(x) + static_cast<size_t>(y) * stride] = 255;
    }

    RECT& box = m_info.rSelectionBox;
    box.top = std::max(box.top, localbox.top + 1);
    box.left = std::min(box.left, localbox.left);
    box.right = std::max(box.right, localbox.right + 1);
    box.bottom = std::min(box.bottom, localbox.bottom);
    return true;
}

bool CQxImage::SelectionAddColor(RGBQUAD c)
{
    if (m_pSelection == nullptr && !SelectionCreate())
        return false;
    RECT localbox{m_head.biWidth, 0, 0, m_head.biHeight};
    const LONG width = m_head.biWidth;
    const LONG height = m_head.biHeight;
    for (LONG y = 0; y < height; ++y) {
        for (LONG x = 0; x < width; ++x) {
            const RGBQUAD color = GetPixelColor(x, y, true);
            if (color.rgbRed == c.rgbRed && color.rgbGreen == c.rgbGreen && color.rgbBlue == c.rgbBlue) {
                m_pSelection[static_cast<size_t>(x) + static_cast<size_t>(y) * static_cast<size_t>(width)] = 255;
                localbox.top = std::max(localbox.top, y);
                localbox.left = std::min(localbox.left, x);
                localbox.right = std::max(localbox.right, x);
                localbox.bottom = std::min(localbox.bottom, y);
            }
        }
    }
    RECT& box = m_info.rSelectionBox;
    box.top = std::max(box.top, localbox.top);
    box.left = std::min(box.left, localbox.left);
    box.right = std::max(box.right, localbox.right);
    box.bottom = std::min(box.bottom, localbox.bottom);
    return true;
}

bool CQxImage::SelectionAddPixel(LONG x, LONG y)
{
    if (m_pSelection == nullptr && !SelectionCreate())
        return false;
    if (!IsInside(x, y))
        return false;
    m_pSelection[static_cast<size_t>(x) + static_cast<size_t>(y) * static_cast<size_t>(m_head.biWidth)] = 255;
    return true;
}

bool CQxImage::SelectionInvert()
{
    if (m_pSelection == nullptr)
        return false;
    const size_t n = static_cast<size_t>(GetWidth()) * GetHeight();
    for (size_t i = 0; i < n; ++i)
        m_pSelection[i] = static_cast<BYTE>(255 - m_pSelection[i]);
    return true;
}

bool CQxImage::SelectionCopy(CQxImage& from)
{
    if (&from == this)
        return m_pSelection != nullptr;
    if (from.m_pSelection == nullptr || from.GetWidth() != GetWidth() || from.GetHeight() != GetHeight())
        return false;
    const size_t n = static_cast<size_t>(GetWidth()) * GetHeight();
    if (m_pSelection == nullptr) {
        m_pSelection = static_cast<BYTE*>(std::malloc(n));
        if (m_pSelection == nullptr)
            return false;
    }
    std::memcpy(m_pSelection, from.m_pSelection, n);
    m_info.rSelectionBox = from.m_info.rSelectionBox;
    return true;
}

bool CQxImage::SelectionSplit(CQxImage* dest)
{
    if (m_pSelection == nullptr || dest == nullptr)
        return false;
    return LayerSplit(m_pSelection, dest);
}

bool CQxImage::SelectionToHRGN(HRGN& region)
{
    if (m_pSelection == nullptr || region == nullptr)
        return false;
    const LONG width = m_head.biWidth;
    const LONG height = m_head.biHeight;
    for (LONG y = 0; y < height; ++y) {
        const BYTE* row = m_pSelection + static_cast<size_t>(y) * static_cast<size_t>(width);
        LONG x = 0;
        while (x < width) {
            if (row[x] <= 254) {
                ++x;
                continue;
            }
            const LONG start = x;
            while (x < width && row[x] > 254)
                ++x;
            region->CombineRect(RECT{start, y, x, y + 1});
        }
    }
    return true;
}
