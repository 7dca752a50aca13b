// Where each screen-cast stream of a remote desktop session lies in the
// desktop's layout, so that a layout position can be told to the portal as
// a position within a stream; a plain function of what the portal said, so
// that every case is tested without a desktop.
//
// GNOME gives every stream its `position`: each monitor is asked for as a
// stream of its own. KDE's portal gives none, and places every absolute
// motion relative to the last stream that it started, whatever stream the
// motion names (and refuses positions off the named stream), so one stream
// per monitor cannot reach all of them there. Asked for a single source
// instead, KDE's portal answers with one stream that covers the whole
// workspace, whose positions are the layout's own. So KDE is asked for one
// source, and a single stream without a position lies at the layout's
// origin. Where several streams come without positions, only the first is
// used, at the origin: the clicks then play on that one monitor, which the
// user chose in the desktop's dialog.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace platform::portal {

struct StreamFacts {
    std::uint32_t node = 0;
    int width = 0;
    int height = 0;
    std::optional<std::pair<int, int>> position;
};

struct StreamArea {
    std::uint32_t node = 0;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// The streams to place motions in, with their areas in layout coordinates.
std::vector<StreamArea> streamAreas(const std::vector<StreamFacts>& streams);

} // namespace platform::portal
