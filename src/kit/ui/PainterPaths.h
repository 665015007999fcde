#pragma once

#include <QPainterPath>

namespace PainterPaths {

// A rounded rectangle with soft corners: each corner is a cubic curve whose two control points sit
// on the corner itself, gentler than a circular arc of the same radius. The radius is clamped to
// half the shorter side. The path starts at (minX + r, minY), runs towards maxX and ends where it
// began without a close element, so a partial stroke starts at a known place.
QPainterPath squircle(const QRectF &rect, qreal cornerRadius);

// The part of the path from its start to `fraction` of its length (0 gives an empty path, 1 or
// more the whole path), as a stroke that ends part of the way along is drawn.
QPainterPath trimmed(const QPainterPath &path, qreal fraction);

} // namespace PainterPaths
