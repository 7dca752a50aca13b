#include "platform/portal/StreamLayout.h"

#include <algorithm>

namespace platform::portal {

std::vector<StreamArea> streamAreas(const std::vector<StreamFacts>& streams)
{
    std::vector<StreamArea> areas;
    const bool placed =
        std::all_of(streams.begin(), streams.end(), [](const StreamFacts& s) { return s.position.has_value(); });
    for (const StreamFacts& s : streams) {
        StreamArea area{s.node, 0, 0, s.width, s.height};
        if (placed) {
            area.x = s.position->first;
            area.y = s.position->second;
        }
        areas.push_back(area);
        if (!placed)
            break;
    }
    return areas;
}

} // namespace platform::portal
