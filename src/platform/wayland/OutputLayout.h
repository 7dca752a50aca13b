// The compositor's output layout and how a position in it is told to a
// virtual pointer: motion_absolute takes a position within an extent, which
// the compositor maps onto the box that holds every output.
#pragma once

#include "platform/Platform.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace platform::wayland {

// An output's place and size in the layout, in logical pixels.
struct Rect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

struct AbsoluteMotion {
    std::uint32_t x = 0;
    std::uint32_t y = 0;
    std::uint32_t xExtent = 0;
    std::uint32_t yExtent = 0;
};

// The motion_absolute arguments that put the pointer at `target`. A target
// off the layout's box is clamped to its edge, as a system pointer would be;
// nothing when no output has a size yet.
std::optional<AbsoluteMotion> absoluteMotion(const std::vector<Rect>& outputs, Point target);

} // namespace platform::wayland
