#include "platform/wayland/WaylandMouse.h"

#include "platform/WindowThread.h"
#include "platform/wayland/WaylandConnection.h"
#include "platform/x11/ErrorCodes.h"

#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"

#include <wayland-client.h>

#include <linux/input-event-codes.h>

#include <thread>

namespace platform::wayland {
namespace {

std::uint32_t millisecondsSince(std::chrono::steady_clock::time_point start)
{
    return static_cast<std::uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count());
}

void moveTo(zwlr_virtual_pointer_v1* pointer, std::uint32_t time, const AbsoluteMotion& motion)
{
    zwlr_virtual_pointer_v1_motion_absolute(pointer, time, motion.x, motion.y, motion.xExtent, motion.yExtent);
    zwlr_virtual_pointer_v1_frame(pointer);
}

void press(zwlr_virtual_pointer_v1* pointer, std::uint32_t time, Button button, ButtonAction action)
{
    const std::uint32_t code = button == Button::Left ? BTN_LEFT : BTN_RIGHT;
    const std::uint32_t state =
        action == ButtonAction::Down ? WL_POINTER_BUTTON_STATE_PRESSED : WL_POINTER_BUTTON_STATE_RELEASED;
    zwlr_virtual_pointer_v1_button(pointer, time, code, state);
    zwlr_virtual_pointer_v1_frame(pointer);
}

// A motion that goes nowhere: the compositor looks again at what lies under
// the pointer now that the overlays are gone, so that a click that follows
// does not go to a surface that no longer is.
void nudge(zwlr_virtual_pointer_v1* pointer, std::uint32_t time)
{
    zwlr_virtual_pointer_v1_motion(pointer, time, 0, 0);
    zwlr_virtual_pointer_v1_frame(pointer);
}

} // namespace

// A run's own connection and virtual pointer. The window's virtual pointer
// stays for the life of the program, so the seat already has a pointer
// device and the other clients need no time to take up this one.
class WaylandMouse::Run final : public MouseRun {
public:
    Run(WaylandMouse& owner, RunWait& wait) : MouseRun(wait), m_owner(owner) {}
    ~Run() override
    {
        if (!m_pointer)
            return;
        // Everything sent is handled before the pointer goes.
        m_connection->roundtrip();
        zwlr_virtual_pointer_v1_destroy(m_pointer);
        m_connection->flush();
    }

    Result open() override
    {
        m_connection = std::make_unique<WaylandConnection>();
        if (m_connection->isConnected() && m_connection->virtualPointerManager()) {
            m_pointer = zwlr_virtual_pointer_manager_v1_create_virtual_pointer(m_connection->virtualPointerManager(),
                                                                               m_connection->seat());
            m_start = std::chrono::steady_clock::now();
            if (m_connection->roundtrip())
                return Result::success();
        }
        return Result::failure(x11::kErrorNotSupported,
                               "cannot connect to the Wayland compositor at WAYLAND_DISPLAY=\"" +
                                   m_owner.m_connection.displayName() + "\"");
    }

    std::optional<Point> cursorPos() override
    {
        WaylandMouse* owner = &m_owner;
        const std::optional<Point> position = readOnWindowThread(
            [owner] {
                const std::optional<Point> found = owner->m_locator.locate(kLocateTimeoutMs);
                // The overlays are gone in the compositor before the run,
                // on its own connection, clicks where they were.
                owner->m_connection.roundtrip();
                return found;
            },
            m_wait);
        nudge(m_pointer, millisecondsSince(m_start));
        return position;
    }

    void setCursorPos(int x, int y) override
    {
        const std::optional<AbsoluteMotion> motion = absoluteMotion(m_connection->layout(), {x, y});
        if (motion && m_wait.until(m_owner.m_seatSettled))
            moveTo(m_pointer, millisecondsSince(m_start), *motion);
    }

    bool button(Button button, ButtonAction action) override
    {
        if (!m_wait.until(m_owner.m_seatSettled) && action == ButtonAction::Down)
            return false;
        press(m_pointer, millisecondsSince(m_start), button, action);
        return true;
    }

    void flush() override { m_connection->flush(); }

    Result status() override
    {
        if (m_connection->isConnected())
            return Result::success();
        return Result::failure(x11::kErrorNotSupported, "the connection to the Wayland compositor was lost");
    }

private:
    WaylandMouse& m_owner;
    std::unique_ptr<WaylandConnection> m_connection;
    zwlr_virtual_pointer_v1* m_pointer = nullptr;
    std::chrono::steady_clock::time_point m_start;
};

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
        nudge(m_pointer, now());
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
    moveTo(m_pointer, now(), *motion);
    m_connection.flush();
}

void WaylandMouse::button(Button button, ButtonAction action)
{
    if (!m_pointer)
        return;
    waitForSeat();
    press(m_pointer, now(), button, action);
    m_connection.flush();
}

void WaylandMouse::pause(std::uint32_t ms)
{
    // A double click's pause must part the two clicks in the compositor,
    // not only in this process.
    if (m_pointer)
        m_connection.flush();
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

std::unique_ptr<MouseRun> WaylandMouse::openRun(RunWait& wait)
{
    if (!m_pointer)
        return std::make_unique<InertMouseRun>(wait);
    return std::make_unique<Run>(*this, wait);
}

void WaylandMouse::waitForSeat()
{
    if (std::chrono::steady_clock::now() < m_seatSettled)
        std::this_thread::sleep_until(m_seatSettled);
}

std::uint32_t WaylandMouse::now() const
{
    return millisecondsSince(m_start);
}

} // namespace platform::wayland
