#include "platform/portal/EiPointer.h"

#include "platform/portal/PortalRequest.h"

#include <libei.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <poll.h>
#include <unistd.h>

namespace platform::portal {
namespace {

using Clock = std::chrono::steady_clock;

int remainingMs(Clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

} // namespace

EiPointer::EiPointer() = default;

bool EiPointer::available()
{
    return true;
}

std::unique_ptr<EiPointer> EiPointer::connect(int fd, int timeoutMs, std::string& error)
{
    std::unique_ptr<EiPointer> pointer(new EiPointer);
    pointer->m_ei = ei_new_sender(nullptr);
    if (!pointer->m_ei) {
        ::close(fd);
        error = "libei could not be started";
        return nullptr;
    }
    ei_configure_name(pointer->m_ei, "quorvel");
    if (const int failed = ei_setup_backend_fd(pointer->m_ei, fd); failed < 0) {
        error = "the desktop's input connection could not be used (error " + std::to_string(-failed) + ")";
        return nullptr;
    }
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!pointer->usable()) {
        if (!pointer->m_lost.empty()) {
            error = pointer->m_lost;
            return nullptr;
        }
        const int left = remainingMs(deadline);
        if (left == 0) {
            error = pointer->m_absolute && pointer->m_buttons
                        ? "the desktop did not let the pointer start within " + std::to_string(timeoutMs) + " ms"
                        : "the desktop offered no pointer with buttons on its input connection";
            return nullptr;
        }
        pointer->dispatch(left);
    }
    return pointer;
}

EiPointer::~EiPointer()
{
    if (usable())
        finish(1000);
    if (m_absoluteEmulating)
        ei_device_stop_emulating(m_absolute);
    if (m_buttonsEmulating && m_buttons != m_absolute)
        ei_device_stop_emulating(m_buttons);
    forget(m_absolute);
    forget(m_buttons);
    if (m_seat)
        ei_seat_unref(m_seat);
    if (m_ei) {
        ei_disconnect(m_ei);
        ei_unref(m_ei);
    }
}

bool EiPointer::dispatch(int timeoutMs)
{
    pollfd readable{ei_get_fd(m_ei), POLLIN, 0};
    int ready = 0;
    do
        ready = ::poll(&readable, 1, timeoutMs);
    while (ready < 0 && errno == EINTR);
    if (ready > 0)
        ei_dispatch(m_ei);
    while (ei_event* event = ei_get_event(m_ei)) {
        ei_device* device = ei_event_get_device(event);
        switch (ei_event_get_type(event)) {
        case EI_EVENT_SEAT_ADDED:
            if (!m_seat) {
                m_seat = ei_seat_ref(ei_event_get_seat(event));
                ei_seat_bind_capabilities(m_seat, EI_DEVICE_CAP_POINTER_ABSOLUTE, EI_DEVICE_CAP_BUTTON, nullptr);
            }
            break;
        case EI_EVENT_DEVICE_ADDED:
            if (!m_absolute && ei_device_has_capability(device, EI_DEVICE_CAP_POINTER_ABSOLUTE))
                m_absolute = ei_device_ref(device);
            if (!m_buttons && ei_device_has_capability(device, EI_DEVICE_CAP_BUTTON))
                m_buttons = ei_device_ref(device);
            break;
        case EI_EVENT_DEVICE_RESUMED:
            // Emulation starts anew after every pause.
            if (device == m_absolute || device == m_buttons) {
                ei_device_start_emulating(device, ++m_sequence);
                m_absoluteEmulating = m_absoluteEmulating || device == m_absolute;
                m_buttonsEmulating = m_buttonsEmulating || device == m_buttons;
            }
            break;
        case EI_EVENT_DEVICE_PAUSED:
            // Whatever is sent now would be dropped without a word.
            if (device == m_absolute)
                m_absoluteEmulating = false;
            if (device == m_buttons)
                m_buttonsEmulating = false;
            break;
        case EI_EVENT_DEVICE_REMOVED:
            if (device == m_absolute || device == m_buttons) {
                forget(device);
                m_lost = "the desktop took the pointer away";
            }
            break;
        case EI_EVENT_SEAT_REMOVED:
            if (ei_event_get_seat(event) == m_seat) {
                ei_seat_unref(m_seat);
                m_seat = nullptr;
            }
            break;
        case EI_EVENT_DISCONNECT:
            forget(m_absolute);
            forget(m_buttons);
            m_lost = "the desktop ended the input connection";
            break;
        case EI_EVENT_PONG:
            ++m_pongs;
            break;
        default:
            break;
        }
        ei_event_unref(event);
    }
    return m_lost.empty();
}

void EiPointer::forget(ei_device* device)
{
    if (!device)
        return;
    if (device == m_absolute) {
        ei_device_unref(m_absolute);
        m_absolute = nullptr;
        m_region = nullptr;
        m_absoluteEmulating = false;
    }
    if (device == m_buttons) {
        ei_device_unref(m_buttons);
        m_buttons = nullptr;
        m_buttonsEmulating = false;
    }
}

Result EiPointer::usable() const
{
    if (!m_lost.empty())
        return Result::failure(kErrorNotSupported, m_lost);
    if (!m_absolute || !m_buttons)
        return Result::failure(kErrorNotSupported, "the desktop offers no pointer with buttons");
    if (!m_absoluteEmulating || !m_buttonsEmulating)
        return Result::failure(kErrorNotReady, "the desktop has paused the pointer");
    return Result::success();
}

Result EiPointer::moveTo(int x, int y)
{
    dispatch(0);
    if (Result ready = usable(); !ready)
        return ready;
    // A position that no monitor holds would be dropped by the desktop, and
    // the button after it would land wherever the pointer was.
    ei_region* region = ei_device_get_region_at(m_absolute, x, y);
    if (!region)
        return Result::failure(kErrorNotSupported, "the position (" + std::to_string(x) + ", " + std::to_string(y) +
                                                       ") is on no screen of the desktop");
    // KWin (6.1 to 6.3 at least) holds the pointer at the edge between two
    // monitors until it has been pushed a barrier's width beyond it (100 px,
    // 2000 px towards a corner) and takes that width off the motion that
    // crosses, absolute ones included. So a motion onto another monitor (or
    // the first of a session, from wherever the pointer is) goes to the
    // middle of that monitor first, which passes the barrier, and then to
    // the point, which crosses nothing. Elsewhere the detour costs a frame.
    if (region != m_region) {
        ei_device_pointer_motion_absolute(m_absolute, ei_region_get_x(region) + ei_region_get_width(region) / 2.0,
                                          ei_region_get_y(region) + ei_region_get_height(region) / 2.0);
        ei_device_frame(m_absolute, ei_now(m_ei));
        m_region = region;
    }
    ei_device_pointer_motion_absolute(m_absolute, x, y);
    ei_device_frame(m_absolute, ei_now(m_ei));
    return Result::success();
}

Result EiPointer::button(unsigned code, bool press)
{
    dispatch(0);
    if (Result ready = usable(); !ready)
        return ready;
    ei_device_button_button(m_buttons, code, press);
    ei_device_frame(m_buttons, ei_now(m_ei));
    if (press)
        m_pressed.push_back(code);
    else
        m_pressed.erase(std::remove(m_pressed.begin(), m_pressed.end(), code), m_pressed.end());
    return Result::success();
}

Result EiPointer::finish(int timeoutMs)
{
    while (!m_pressed.empty() && usable())
        button(m_pressed.back(), false);
    m_pressed.clear();
    if (Result ready = usable(); !ready)
        return ready;
    struct ei_ping* ping = ei_new_ping(m_ei);
    const std::uint64_t answered = m_pongs;
    ei_ping(ping);
    ei_ping_unref(ping);
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (m_pongs == answered) {
        const int left = remainingMs(deadline);
        if (left == 0)
            return Result::failure(kErrorNotReady, "the desktop did not confirm the clicks within " +
                                                       std::to_string(timeoutMs) + " ms");
        if (!dispatch(left) && m_pongs == answered)
            return Result::failure(kErrorNotSupported, m_lost);
    }
    return Result::success();
}

} // namespace platform::portal
