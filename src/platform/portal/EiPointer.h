// The pointer of a remote desktop session through libei: the emulated input
// connection (EIS) that the desktop portal hands out with ConnectToEIS, which
// GNOME 46 and later and Plasma 6 recommend over the portal's Notify calls.
//
// The desktop offers a seat; we bind its absolute pointer and its buttons
// and wait until it lets the device emulate. Positions are the desktop's
// own layout coordinates, which the device's regions (one per monitor)
// cover, so no screen cast is needed to place the pointer. Every motion and
// every button event is a frame of its own: neither GNOME nor KDE honours a
// frame's time, and a press and its release in one frame would be one
// event. libei delivers a client's events in order over one socket, and a
// ping's answer marks the point at which all of them have been handled.
//
// Used from one thread at a time; it waits only on its own socket.
#pragma once

#include "platform/Platform.h"

#include <memory>
#include <string>
#include <vector>

struct ei;
struct ei_device;
struct ei_region;
struct ei_seat;

namespace platform::portal {

class EiPointer {
public:
    // Whether this build has libei; without it connect() always fails.
    static bool available();

    // Takes over `fd` (the socket from ConnectToEIS) and waits at most
    // `timeoutMs` until the desktop lets an absolute pointer with buttons
    // emulate. Null, with `error` in the user's words, when it does not.
    static std::unique_ptr<EiPointer> connect(int fd, int timeoutMs, std::string& error);
    // Releases what is still pressed and waits for the desktop to have
    // handled everything sent (see finish), then disconnects.
    ~EiPointer();
    EiPointer(const EiPointer&) = delete;
    EiPointer& operator=(const EiPointer&) = delete;

    // Moves the pointer to a position of the desktop's layout. Fails, and
    // sends nothing, when no monitor holds it or the desktop took the
    // device away or paused it.
    Result moveTo(int x, int y);
    // A button event (a Linux input code) at the pointer.
    Result button(unsigned code, bool press);
    // Releases any button still pressed and waits at most `timeoutMs` until
    // the desktop has handled every event sent so far.
    Result finish(int timeoutMs);

private:
    EiPointer();
    // Reads what the desktop sent, waiting at most `timeoutMs` (0: what has
    // already come), and handles it. False once the connection is gone.
    bool dispatch(int timeoutMs);
    Result usable() const;
    void forget(ei_device* device);

    ei* m_ei = nullptr;
    ei_seat* m_seat = nullptr;
    ei_device* m_absolute = nullptr; // the device with the absolute pointer
    ei_device* m_buttons = nullptr;  // the one with the buttons (often the same)
    bool m_absoluteEmulating = false;
    bool m_buttonsEmulating = false;
    ei_region* m_region = nullptr; // the monitor the pointer was last moved onto
    std::uint32_t m_sequence = 0;
    std::uint64_t m_pongs = 0; // pings answered
    std::vector<unsigned> m_pressed;
    std::string m_lost; // why the device is not there any more
};

} // namespace platform::portal
