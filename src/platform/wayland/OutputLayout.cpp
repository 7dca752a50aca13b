#include "platform/wayland/OutputLayout.h"

#include <algorithm>
#include <climits>

namespace platform::wayland {

std::optional<AbsoluteMotion> absoluteMotion(const std::vector<Rect>& outputs, Point target)
{
    long long left = LLONG_MAX, top = LLONG_MAX, right = LLONG_MIN, bottom = LLONG_MIN;
    for (const Rect& r : outputs) {
        if (r.width <= 0 || r.height <= 0)
            continue;
        left = std::min<long long>(left, r.x);
        top = std::min<long long>(top, r.y);
        right = std::max<long long>(right, static_cast<long long>(r.x) + r.width);
        bottom = std::max<long long>(bottom, static_cast<long long>(r.y) + r.height);
    }
    if (left == LLONG_MAX)
        return std::nullopt;
    // The box's last pixel is its extent less one: x == extent would be the
    // edge just past it.
    AbsoluteMotion motion;
    motion.xExtent = static_cast<std::uint32_t>(right - left);
    motion.yExtent = static_cast<std::uint32_t>(bottom - top);
    motion.x = static_cast<std::uint32_t>(std::clamp<long long>(target.x - left, 0, motion.xExtent - 1));
    motion.y = static_cast<std::uint32_t>(std::clamp<long long>(target.y - top, 0, motion.yExtent - 1));
    return motion;
}

} // namespace platform::wayland
