// Where the pointer is, which Wayland tells a client only while the pointer
// is over one of its surfaces: for a moment every output is covered by a
// transparent surface that takes input, on the layer-shell overlay layer,
// and the compositor's wl_pointer.enter on one of them gives the position.
// The surfaces are gone again before locate() returns.
#pragma once

#include "platform/Platform.h"

#include <optional>

namespace platform::wayland {

class WaylandConnection;

class PointerLocator {
public:
    explicit PointerLocator(WaylandConnection& connection) : m_connection(connection) {}

    // The compositor offers what it takes (layer shell, shared memory).
    bool isAvailable() const;
    // The position in the layout; nothing when the compositor did not tell
    // it within `timeoutMs`.
    std::optional<Point> locate(int timeoutMs);

private:
    WaylandConnection& m_connection;
};

} // namespace platform::wayland
