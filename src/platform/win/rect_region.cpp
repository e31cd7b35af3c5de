#include "platform/win/rect_region.h"

#include <algorithm>

namespace ovr::win
{

RECT intersection(const RECT& a, const RECT& b)
{
    RECT r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
           std::min(a.bottom, b.bottom)};
    return isEmpty(r) ? RECT{0, 0, 0, 0} : r;
}

RECT unionOf(const RECT& a, const RECT& b)
{
    if (isEmpty(a))
    {
        return b;
    }
    if (isEmpty(b))
    {
        return a;
    }
    return RECT{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                std::max(a.bottom, b.bottom)};
}

RECT offsetBy(const RECT& r, LONG dx, LONG dy) { return RECT{r.left + dx, r.top + dy, r.right + dx, r.bottom + dy}; }

namespace
{
bool covers(const RECT& outer, const RECT& inner)
{
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}
} // namespace

void RectRegion::add(const RECT& r)
{
    if (isEmpty(r))
    {
        return;
    }
    for (const RECT& have : rects_)
    {
        if (covers(have, r))
        {
            return;
        }
    }
    std::erase_if(rects_, [&](const RECT& have) { return covers(r, have); });
    rects_.push_back(r);
    if (rects_.size() > maxPieces)
    {
        RECT all = bounds();
        rects_.assign(1, all);
    }
}

void RectRegion::add(const RectRegion& other)
{
    for (const RECT& r : other.rects_)
    {
        add(r);
    }
}

RECT RectRegion::bounds() const
{
    RECT b{0, 0, 0, 0};
    for (const RECT& r : rects_)
    {
        b = unionOf(b, r);
    }
    return b;
}

RectRegion RectRegion::clippedTo(const RECT& clip) const
{
    RectRegion out;
    for (const RECT& r : rects_)
    {
        out.add(intersection(r, clip));
    }
    return out;
}

RectRegion RectRegion::offset(LONG dx, LONG dy) const
{
    RectRegion out;
    for (const RECT& r : rects_)
    {
        out.rects_.push_back(offsetBy(r, dx, dy));
    }
    return out;
}

bool RectRegion::contains(LONG x, LONG y) const
{
    return std::any_of(rects_.begin(), rects_.end(), [&](const RECT& r) { return containsPoint(r, x, y); });
}

bool RectRegion::intersects(const RECT& other) const
{
    return std::any_of(rects_.begin(), rects_.end(), [&](const RECT& r) { return !isEmpty(intersection(r, other)); });
}

} // namespace ovr::win
