#include "form/ShapeRegion.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace orvel {

namespace {

struct PointD
{
    double x = 0;
    double y = 0;
};

// The rows both rectangles share; false when there are none.
bool commonRows(const RECT &probe, double top, double bottom, int64_t &first, int64_t &end)
{
    first = std::max<int64_t>(probe.top, int64_t(std::floor(top)));
    end = std::min<int64_t>(probe.bottom, int64_t(std::ceil(bottom)));
    return first < end;
}

// Whether the pixels whose centres lie in [from, to] reach into the probe's
// columns.
bool spanHits(double from, double to, const RECT &probe)
{
    if (to < from)
        return false;
    const double first = std::ceil(from - 0.5);
    const double last = std::floor(to - 0.5);
    return first <= last && last >= double(probe.left) && first < double(probe.right);
}

// The same for a half-open span [from, to), as the even-odd rule fills.
bool halfOpenSpanHits(double from, double to, const RECT &probe)
{
    const double first = std::ceil(from - 0.5);
    const double end = std::ceil(to - 0.5);
    return first < end && end > double(probe.left) && first < double(probe.right);
}

RECT normalised(RECT rect)
{
    NormalizeRect(rect);
    return rect;
}

bool polygonHits(const std::vector<PointD> &points, const RECT &rawProbe)
{
    if (points.size() < 3)
        return false;
    const RECT probe = normalised(rawProbe);
    if (IsRectEmpty(probe))
        return false;
    double top = points[0].y;
    double bottom = points[0].y;
    for (const PointD &p : points) {
        top = std::min(top, p.y);
        bottom = std::max(bottom, p.y);
    }
    int64_t first = 0;
    int64_t end = 0;
    if (!commonRows(probe, top, bottom, first, end))
        return false;
    std::vector<double> crossings;
    crossings.reserve(points.size());
    for (int64_t y = first; y < end; ++y) {
        const double centre = double(y) + 0.5;
        crossings.clear();
        for (std::size_t i = 0; i < points.size(); ++i) {
            const PointD &a = points[i];
            const PointD &b = points[(i + 1) % points.size()];
            if ((a.y <= centre && centre < b.y) || (b.y <= centre && centre < a.y))
                crossings.push_back(a.x + (centre - a.y) * (b.x - a.x) / (b.y - a.y));
        }
        std::sort(crossings.begin(), crossings.end());
        for (std::size_t i = 0; i + 1 < crossings.size(); i += 2) {
            if (halfOpenSpanHits(crossings[i], crossings[i + 1], probe))
                return true;
        }
    }
    return false;
}

} // namespace

bool EllipseRegionHits(const RECT &rawBounds, const RECT &rawProbe)
{
    const RECT bounds = normalised(rawBounds);
    const RECT probe = normalised(rawProbe);
    const double a = (double(bounds.right) - bounds.left) / 2;
    const double b = (double(bounds.bottom) - bounds.top) / 2;
    int64_t first = 0;
    int64_t end = 0;
    if (a <= 0 || b <= 0 || IsRectEmpty(probe) || !commonRows(probe, bounds.top, bounds.bottom, first, end))
        return false;
    const double cx = double(bounds.left) + a;
    const double cy = double(bounds.top) + b;
    for (int64_t y = first; y < end; ++y) {
        const double v = (double(y) + 0.5 - cy) / b;
        if (v * v > 1)
            continue;
        const double half = a * std::sqrt(1 - v * v);
        if (spanHits(cx - half, cx + half, probe))
            return true;
    }
    return false;
}

bool RoundRectRegionHits(const RECT &rawBounds, int ellipseWidth, int ellipseHeight, const RECT &rawProbe)
{
    const RECT bounds = normalised(rawBounds);
    const RECT probe = normalised(rawProbe);
    int64_t first = 0;
    int64_t end = 0;
    if (IsRectEmpty(bounds) || IsRectEmpty(probe) || !commonRows(probe, bounds.top, bounds.bottom, first, end))
        return false;
    const double width = double(bounds.right) - bounds.left;
    const double height = double(bounds.bottom) - bounds.top;
    const double rx = std::clamp(double(ellipseWidth), 0.0, width) / 2;
    const double ry = std::clamp(double(ellipseHeight), 0.0, height) / 2;
    for (int64_t y = first; y < end; ++y) {
        const double centre = double(y) + 0.5;
        double inset = 0;
        if (rx > 0 && ry > 0) {
            // Above the top corners' centres or below the bottom ones' the
            // row is shortened by the corner ellipse.
            double v = 0;
            if (centre < bounds.top + ry)
                v = (bounds.top + ry - centre) / ry;
            else if (centre > bounds.bottom - ry)
                v = (centre - (bounds.bottom - ry)) / ry;
            if (v > 1)
                continue;
            inset = rx - rx * std::sqrt(1 - v * v);
        }
        if (spanHits(bounds.left + inset, bounds.right - inset, probe))
            return true;
    }
    return false;
}

bool PolygonRegionHits(std::span<const POINT> points, const RECT &probe)
{
    std::vector<PointD> converted;
    converted.reserve(points.size());
    for (const POINT &p : points)
        converted.push_back({double(p.x), double(p.y)});
    return polygonHits(converted, probe);
}

bool LineBandHits(POINT a, POINT b, int dx, int dy, const RECT &probe)
{
    const double ax = a.x, ay = a.y, bx = b.x, by = b.y;
    const double minX = std::min(ax, bx), maxX = std::max(ax, bx);
    const double minY = std::min(ay, by), maxY = std::max(ay, by);
    // The hull of the two boxes. Walking the corners in this order gives a
    // simple polygon whichever way the segment points: for a segment going
    // down-right the top-right and bottom-left corners carry the band's long
    // edges, otherwise the other two.
    std::vector<PointD> hull;
    if ((bx - ax) * (by - ay) >= 0) {
        hull = {{minX - dx, minY - dy}, {minX + dx, minY - dy}, {maxX + dx, maxY - dy},
                {maxX + dx, maxY + dy}, {maxX - dx, maxY + dy}, {minX - dx, minY + dy}};
    } else {
        hull = {{minX - dx, maxY - dy}, {maxX - dx, minY - dy}, {maxX + dx, minY - dy},
                {maxX + dx, minY + dy}, {minX + dx, maxY + dy}, {minX - dx, maxY + dy}};
    }
    return polygonHits(hull, probe);
}

} // namespace orvel
