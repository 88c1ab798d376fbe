#pragma once

#include "platform/Gdi.h"

#include <span>

namespace orvel {

// The regions of the form's shapes as sets of pixels, the way the old region
// calls made them: a pixel belongs to a shape when its centre lies inside
// it. "Hits" means that some pixel of `probe` (left <= x < right, top <= y <
// bottom, normalised) belongs to the region. Each test walks only the rows
// the probe and the shape share and stops at the first pixel found, so a
// point (a 1 x 1 probe) costs one row.

// The rounded rectangle of `bounds` (normalised) whose corners are quarter
// ellipses of ellipseWidth x ellipseHeight (clamped to the rectangle).
bool RoundRectRegionHits(const RECT &bounds, int ellipseWidth, int ellipseHeight, const RECT &probe);
// The ellipse that fills `bounds` (normalised).
bool EllipseRegionHits(const RECT &bounds, const RECT &probe);
// The polygon through `points` filled by the alternate (even-odd) rule; no
// region with fewer than three points.
bool PolygonRegionHits(std::span<const POINT> points, const RECT &probe);
// The band around the segment from a to b that reaches dx to either side
// horizontally and dy vertically: the segment swept by a 2dx x 2dy box.
bool LineBandHits(POINT a, POINT b, int dx, int dy, const RECT &probe);

} // namespace orvel
