#include "platform/portal/StreamLayout.h"

#include <algorithm>
#include <sstream>

namespace platform::portal {

DesktopNeeds desktopNeeds(const std::string& currentDesktop)
{
    std::istringstream names(currentDesktop);
    std::string name;
    while (std::getline(names, name, ':'))
        if (name == "KDE")
            return {true, 0, 0};
    return {};
}

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
