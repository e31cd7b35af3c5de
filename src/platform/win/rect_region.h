// Rectangle arithmetic and a region kept as a short list of rectangles: the
// update regions of windows and the clip of window DCs. Overlapping members
// are harmless because every operation drawn through a region is idempotent.
#pragma once

#include "platform/win/win_types.h"

#include <vector>

namespace ovr::win
{

constexpr bool isEmpty(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }
RECT intersection(const RECT& a, const RECT& b);
RECT unionOf(const RECT& a, const RECT& b);
RECT offsetBy(const RECT& r, LONG dx, LONG dy);
constexpr bool containsPoint(const RECT& r, LONG x, LONG y)
{
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}
constexpr bool sameRect(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

class RectRegion
{
public:
    RectRegion() = default;
    explicit RectRegion(const RECT& r) { add(r); }

    void add(const RECT& r);
    void add(const RectRegion& other);
    void clear() { rects_.clear(); }
    bool empty() const { return rects_.empty(); }
    RECT bounds() const;
    const std::vector<RECT>& rects() const { return rects_; }
    RectRegion clippedTo(const RECT& r) const;
    RectRegion offset(LONG dx, LONG dy) const;
    bool contains(LONG x, LONG y) const;
    bool intersects(const RECT& r) const;

private:
    // Beyond this many pieces the region becomes its bounding box; painting a
    // little more than needed is always correct.
    static constexpr std::size_t maxPieces = 16;
    std::vector<RECT> rects_;
};

} // namespace ovr::win
