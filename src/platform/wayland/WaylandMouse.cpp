#include "platform/wayland/WaylandMouse.h"

#include "platform/wayland/WaylandConnection.h"

#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"

#include <wayland-client.h>

#include <linux/input-event-codes.h>

#include <thread>

namespace platform::wayland {

WaylandMouse::WaylandMouse(WaylandConnection& connection)
    : m_connection(connection), m_locator(connection), m_start(std::chrono::steady_clock::now())
{
    if (!m_connection.isConnected() || !m_connection.virtualPointerManager())
        return;
    const bool seatHadPointer = m_connection.pointer() != nullptr;
    m_pointer = zwlr_virtual_pointer_manager_v1_create_virtual_pointer(m_connection.virtualPointerManager(),
                                                                       m_connection.seat());
    m_connection.roundtrip();
    m_seatSettled = std::chrono::steady_clock::now();
    if (!seatHadPointer)
        m_seatSettled += std::chrono::milliseconds(kSeatSettleMs);
}

WaylandMouse::~WaylandMouse()
{
    if (!m_pointer)
        return;
    // Everything sent is handled before the pointer goes.
    m_connection.roundtrip();
    zwlr_virtual_pointer_v1_destroy(m_pointer);
    m_connection.flush();
}

std::optional<Point> WaylandMouse::cursorPos()
{
    const std::optional<Point> position = m_locator.locate(kLocateTimeoutMs);
    if (m_pointer) {
        // A motion that goes nowhere: the compositor looks again at what
        // lies under the pointer now that the overlays are gone, so that a
        // click that follows does not go to a surface that no longer is.
        zwlr_virtual_pointer_v1_motion(m_pointer, now(), 0, 0);
        zwlr_virtual_pointer_v1_frame(m_pointer);
        m_connection.flush();
    }
    return position;
}

void WaylandMouse::setCursorPos(int x, int y)
{
    if (!m_pointer)
        return;
    const std::optional<AbsoluteMotion> motion = absoluteMotion(m_connection.layout(), {x, y});
    if (!motion)
        return;
    waitForSeat();
    zwlr_virtual_pointer_v1_motion_absolute(m_pointer, now(), motion->x, motion->y, motion->xExtent, motion->yExtent);
    zwlr_virtual_pointer_v1_frame(m_pointer);
    send();
}

void WaylandMouse::button(Button button, ButtonAction action)
{
    if (!m_pointer)
        return;
    waitForSeat();
    const std::uint32_t code = button == Button::Left ? BTN_LEFT : BTN_RIGHT;
    const std::uint32_t state =
        action == ButtonAction::Down ? WL_POINTER_BUTTON_STATE_PRESSED : WL_POINTER_BUTTON_STATE_RELEASED;
    zwlr_virtual_pointer_v1_button(m_pointer, now(), code, state);
    zwlr_virtual_pointer_v1_frame(m_pointer);
    send();
}

void WaylandMouse::pause(std::uint32_t ms)
{
    // A double click's pause must part the two clicks in the compositor,
    // not only in this process.
    if (m_pointer)
        m_connection.flush();
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void WaylandMouse::endClick()
{
    m_holding = false;
    send();
}

void WaylandMouse::send()
{
    // The compositor handles a client's requests in order, so a click's
    // moves and buttons can travel in one write.
    if (m_pointer && !m_holding)
        m_connection.flush();
}

void WaylandMouse::waitForSeat()
{
    if (std::chrono::steady_clock::now() < m_seatSettled)
        std::this_thread::sleep_until(m_seatSettled);
}

std::uint32_t WaylandMouse::now() const
{
    return static_cast<std::uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - m_start).count());
}

} // namespace platform::wayland
