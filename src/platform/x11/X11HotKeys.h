// System-wide hot keys on X11: passive key grabs on the root window, so that
// a combination reaches this program whichever client has the focus.
//
// Each combination is grabbed four times, alone and with Num Lock, Caps Lock
// or both, because X matches the lock modifiers exactly. Presses are read
// from the display's connection when it becomes readable, on the thread that
// owns the Qt event loop; listening starts with the first registration or
// press handler set after the QCoreApplication exists. A key held down fires
// once: auto-repeated presses are ignored until the key is released.
#pragma once

#include "platform/Platform.h"

#include <map>
#include <memory>
#include <set>
#include <vector>

class QSocketNotifier;
typedef struct _XDisplay Display;
typedef union _XEvent XEvent;

namespace platform::x11 {

class X11HotKeys final : public HotKeys {
public:
    // `display` is not owned and may be null (every registration then fails).
    // It should be a connection of its own: presses are read from it and
    // its events must not be taken by anyone else.
    explicit X11HotKeys(Display* display);
    ~X11HotKeys() override;
    X11HotKeys(const X11HotKeys&) = delete;
    X11HotKeys& operator=(const X11HotKeys&) = delete;

    // Registering an identifier that already holds a combination replaces it
    // (the old grab is released once the new one is in place). A combination
    // held by another identifier of ours, or grabbed by another client, fails
    // with kErrorHotKeyAlreadyRegistered (1409); a key that X cannot grab
    // fails with 87 (ERROR_INVALID_PARAMETER).
    Result registerHotKey(int id, std::uint32_t modifiers, std::uint32_t virtualKey) override;
    // Fails with 1419 (ERROR_HOTKEY_NOT_REGISTERED) when `id` holds nothing.
    Result unregisterHotKey(int id) override;
    void setPressHandler(PressHandler handler) override;
    // Read from the keyboard's key map (XQueryKeymap) and the server's
    // modifier map: Shift, Control, Mod1 (Alt) and Mod4 (Super) count.
    std::uint32_t heldModifiers() override;

    // Handles every event that has arrived on the connection.
    void processEvents();

private:
    struct Registration {
        std::uint32_t modifiers = 0;
        std::uint32_t virtualKey = 0;
        int keycode = 0;
        unsigned int mask = 0;               // X modifiers without the locks
        std::vector<unsigned int> lockMasks; // the lock combinations grabbed
    };

    std::vector<unsigned int> lockVariants() const;
    unsigned int numLockMask() const;
    bool grab(const Registration& registration);
    void ungrab(const Registration& registration);
    void handleEvent(XEvent& event);
    void listen();
    void drainLater();

    Display* m_display;
    std::map<int, Registration> m_registrations;
    std::set<int> m_heldKeycodes; // keys whose press has fired and not yet been released
    PressHandler m_handler;
    std::unique_ptr<QSocketNotifier> m_notifier;
};

} // namespace platform::x11
