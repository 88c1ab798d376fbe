#include "platform/Gdi.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <utility>

namespace orvel {

namespace {

int32_t saturate(int64_t value)
{
    return int32_t(
            std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

} // namespace

void NormalizeRect(RECT &rect)
{
    if (rect.left > rect.right)
        std::swap(rect.left, rect.right);
    if (rect.top > rect.bottom)
        std::swap(rect.top, rect.bottom);
}

void InflateRect(RECT &rect, int dx, int dy)
{
    rect.left = saturate(int64_t(rect.left) - dx);
    rect.top = saturate(int64_t(rect.top) - dy);
    rect.right = saturate(int64_t(rect.right) + dx);
    rect.bottom = saturate(int64_t(rect.bottom) + dy);
}

void OffsetRect(RECT &rect, int dx, int dy)
{
    rect.left = saturate(int64_t(rect.left) + dx);
    rect.top = saturate(int64_t(rect.top) + dy);
    rect.right = saturate(int64_t(rect.right) + dx);
    rect.bottom = saturate(int64_t(rect.bottom) + dy);
}

bool IntersectRect(RECT &dst, const RECT &a, const RECT &b)
{
    const RECT result{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                      std::min(a.bottom, b.bottom)};
    if (IsRectEmpty(result)) {
        dst = RECT{};
        return false;
    }
    dst = result;
    return true;
}

bool UnionRect(RECT &dst, const RECT &a, const RECT &b)
{
    const bool aEmpty = IsRectEmpty(a);
    const bool bEmpty = IsRectEmpty(b);
    if (aEmpty && bEmpty) {
        dst = RECT{};
        return false;
    }
    if (aEmpty || bEmpty) {
        dst = aEmpty ? b : a;
        return true;
    }
    dst = RECT{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
               std::max(a.bottom, b.bottom)};
    return true;
}

bool PtInRect(const RECT &rect, POINT p)
{
    return p.x >= rect.left && p.x < rect.right && p.y >= rect.top && p.y < rect.bottom;
}

bool IsRectEmpty(const RECT &rect)
{
    return rect.right <= rect.left || rect.bottom <= rect.top;
}

QRect RectToQRect(const RECT &rect)
{
    // QRect keeps the last pixel (left + width - 1); an empty rectangle keeps
    // its corner unless that would step below the int range.
    const int width = std::max(0, saturate(int64_t(rect.right) - rect.left));
    const int height = std::max(0, saturate(int64_t(rect.bottom) - rect.top));
    if ((width == 0 && rect.left == std::numeric_limits<int32_t>::min())
        || (height == 0 && rect.top == std::numeric_limits<int32_t>::min()))
        return QRect();
    return QRect(rect.left, rect.top, width, height);
}

RECT QRectToRect(const QRect &rect)
{
    return RECT{rect.left(), rect.top(), saturate(int64_t(rect.right()) + 1), saturate(int64_t(rect.bottom()) + 1)};
}

} // namespace orvel
