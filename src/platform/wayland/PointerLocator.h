// Where the pointer is, which Wayland tells a client only while the pointer
// is over one of its surfaces: for a moment every output is covered by a
// transparent surface that takes input, and the compositor's
// wl_pointer.enter on one of them gives the position. The surfaces are on
// the layer-shell overlay layer where the compositor has one (wlroots
// compositors, KDE); elsewhere (GNOME) they are full-screen windows. They
// are gone again before locate() returns.
#pragma once

#include "platform/Platform.h"

#include <optional>

namespace platform::wayland {

class WaylandConnection;

class PointerLocator {
public:
    enum class Cover { LayerShell, FullScreenWindows };

    explicit PointerLocator(WaylandConnection& connection) : m_connection(connection) {}

    // How the compositor lets the outputs be covered; nothing when it does
    // not (or has no shared memory for the surfaces' contents).
    std::optional<Cover> cover() const;
    bool isAvailable() const { return cover().has_value(); }
    // The position in the layout; nothing when the compositor did not tell
    // it within `timeoutMs`.
    std::optional<Point> locate(int timeoutMs);
    // The same with the outputs covered in the given way.
    std::optional<Point> locate(int timeoutMs, Cover cover);

private:
    WaylandConnection& m_connection;
};

} // namespace platform::wayland
