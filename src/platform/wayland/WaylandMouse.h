// The pointer on a wlroots compositor: moved and clicked through one virtual
// pointer (zwlr_virtual_pointer_v1) that lives as long as the object, its
// position read with the overlay surfaces of PointerLocator. Positions are
// layout coordinates in the compositor's logical pixels. A playback run
// clicks through a connection and a virtual pointer of its own, and asks the
// window's thread to read the pointer, whose overlay surfaces are on the
// window thread's connection.
#pragma once

#include "platform/Platform.h"
#include "platform/wayland/PointerLocator.h"

#include <chrono>

struct zwlr_virtual_pointer_v1;

namespace platform::wayland {

class WaylandConnection;

class WaylandMouse final : public Mouse {
public:
    // How long the compositor has to show where the pointer is.
    static constexpr int kLocateTimeoutMs = 1000;
    // How long the other clients of a seat that had no pointer device
    // before ours get to take up the new pointer before the first motion.
    static constexpr int kSeatSettleMs = 200;

    // Creates the virtual pointer when the compositor offers one, and waits
    // for a round trip. On a seat that had no pointer device before, the
    // other clients learn only now that there is one and take up their
    // pointers: events sent before they have are lost to them, so the first
    // motion waits until kSeatSettleMs after the start.
    explicit WaylandMouse(WaylandConnection& connection);
    ~WaylandMouse() override;
    WaylandMouse(const WaylandMouse&) = delete;
    WaylandMouse& operator=(const WaylandMouse&) = delete;

    bool canInject() const { return m_pointer != nullptr; }

    std::optional<Point> cursorPos() override;
    void setCursorPos(int x, int y) override;
    void button(Button button, ButtonAction action) override;
    void pause(std::uint32_t ms) override;
    std::unique_ptr<MouseRun> openRun(RunWait& wait) override;

private:
    class Run;
    // Milliseconds since the object was made: the events' timestamps.
    std::uint32_t now() const;
    // Waits, the first time, until the seat's other clients have had their
    // time to take up the pointer.
    void waitForSeat();

    WaylandConnection& m_connection;
    PointerLocator m_locator;
    zwlr_virtual_pointer_v1* m_pointer = nullptr;
    std::chrono::steady_clock::time_point m_start;
    std::chrono::steady_clock::time_point m_seatSettled;
};

} // namespace platform::wayland
