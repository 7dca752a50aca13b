#include "platform/x11/X11HotKeys.h"

#include "platform/VirtualKeyName.h"
#include "platform/x11/ErrorCodes.h"
#include "platform/x11/KeyTable.h"

#include <QAbstractEventDispatcher>
#include <QMetaObject>
#include <QSocketNotifier>

// After the Qt headers: Xlib's macros (KeyPress, None, Bool, ...) would
// clash with names in them.
#include "platform/x11/X11ErrorTrap.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <algorithm>

namespace platform::x11 {
namespace {

// "Ctrl+Alt+S", for messages.
std::string combinationText(std::uint32_t modifiers, std::uint32_t virtualKey)
{
    std::string text;
    if (modifiers & kModControl)
        text += "Ctrl+";
    if (modifiers & kModShift)
        text += "Shift+";
    if (modifiers & kModAlt)
        text += "Alt+";
    if (modifiers & kModWin)
        text += "Win+";
    return text + virtualKeyName(virtualKey);
}

} // namespace

X11HotKeys::X11HotKeys(Display* display) : m_display(display)
{
    if (!m_display)
        return;
    // Without this a held key arrives as release/press pairs, which cannot
    // be told from real presses; with it, only the press repeats, and the
    // release that follows is the real one.
    Bool supported = False;
    XkbSetDetectableAutoRepeat(m_display, True, &supported);
}

X11HotKeys::~X11HotKeys()
{
    m_notifier.reset();
    if (!m_display)
        return;
    for (const auto& entry : m_registrations)
        ungrab(entry.second);
    XFlush(m_display);
}

Result X11HotKeys::registerHotKey(int id, std::uint32_t modifiers, std::uint32_t virtualKey)
{
    const std::string text = combinationText(modifiers, virtualKey);
    if (!m_display)
        return Result::failure(kErrorNotSupported, "no X display is open to register " + text);
    const KeySym keysym = keysymForVirtualKey(virtualKey);
    if (keysym == NoSymbol)
        return Result::failure(kErrorInvalidParameter, "the key " + text + " has no X11 equivalent");
    const int keycode = XKeysymToKeycode(m_display, keysym);
    if (keycode == 0)
        return Result::failure(kErrorInvalidParameter, "the keyboard has no key for " + text);

    Registration registration;
    registration.modifiers = modifiers;
    registration.virtualKey = virtualKey;
    registration.keycode = keycode;
    registration.mask = xModifiersForModBits(modifiers);

    for (auto& [otherId, other] : m_registrations) {
        if (other.keycode != keycode || other.mask != registration.mask)
            continue;
        if (otherId == id)
            return Result::success(); // already grabbed under this identifier
        return Result::failure(kErrorHotKeyAlreadyRegistered,
                               text + " is already registered as hot key " + std::to_string(otherId));
    }

    registration.lockMasks = lockVariants();
    const bool grabbed = grab(registration);
    listen();
    // The round trips above (and any flush) may have read presses into
    // Xlib's queue, where the socket notifier does not see them.
    drainLater();
    if (!grabbed)
        return Result::failure(kErrorHotKeyAlreadyRegistered, text + " is already grabbed by another program");

    const auto previous = m_registrations.find(id);
    if (previous != m_registrations.end()) {
        ungrab(previous->second);
        XFlush(m_display);
    }
    m_registrations[id] = registration;
    return Result::success();
}

Result X11HotKeys::unregisterHotKey(int id)
{
    const auto found = m_registrations.find(id);
    if (found == m_registrations.end())
        return Result::failure(kErrorHotKeyNotRegistered, "no hot key is registered as " + std::to_string(id));
    ungrab(found->second);
    XFlush(m_display);
    drainLater(); // a flush may read presses into Xlib's queue too
    m_registrations.erase(found);
    return Result::success();
}

void X11HotKeys::setPressHandler(PressHandler handler)
{
    m_handler = std::move(handler);
    listen();
}

std::uint32_t X11HotKeys::heldModifiers()
{
    if (!m_display)
        return 0;
    char keys[32] = {};
    XQueryKeymap(m_display, keys);
    XModifierKeymap* map = XGetModifierMapping(m_display);
    // The round trips may have read presses into Xlib's queue.
    drainLater();
    if (!map)
        return 0;
    unsigned int held = 0;
    for (int modifier = 0; modifier < 8; ++modifier) {
        for (int i = 0; i < map->max_keypermod; ++i) {
            const KeyCode keycode = map->modifiermap[modifier * map->max_keypermod + i];
            if (keycode != 0 && (keys[keycode / 8] & (1 << (keycode % 8))))
                held |= 1u << modifier;
        }
    }
    XFreeModifiermap(map);
    return modBitsForXModifiers(held);
}

std::vector<unsigned int> X11HotKeys::lockVariants() const
{
    const unsigned int numLock = numLockMask();
    std::vector<unsigned int> variants{0u, numLock, LockMask, numLock | LockMask};
    std::sort(variants.begin(), variants.end());
    variants.erase(std::unique(variants.begin(), variants.end()), variants.end());
    return variants;
}

unsigned int X11HotKeys::numLockMask() const
{
    // Num Lock is whichever of Mod1..Mod5 the server's modifier map binds
    // the Num_Lock key to (Mod2 on most keyboards, but not all).
    const KeyCode numLockKey = XKeysymToKeycode(m_display, XK_Num_Lock);
    XModifierKeymap* map = XGetModifierMapping(m_display);
    if (!map)
        return 0;
    unsigned int mask = 0;
    for (int modifier = 0; modifier < 8 && numLockKey != 0 && mask == 0; ++modifier) {
        for (int i = 0; i < map->max_keypermod; ++i) {
            if (map->modifiermap[modifier * map->max_keypermod + i] == numLockKey) {
                mask = 1u << modifier;
                break;
            }
        }
    }
    XFreeModifiermap(map);
    return mask;
}

bool X11HotKeys::grab(const Registration& registration)
{
    const Window root = DefaultRootWindow(m_display);
    X11ErrorTrap trap(m_display);
    for (unsigned int lock : registration.lockMasks) {
        XGrabKey(m_display, registration.keycode, registration.mask | lock, root, False, GrabModeAsync, GrabModeAsync);
    }
    if (trap.finish() == 0)
        return true;
    // Some variant is another client's (BadAccess): leave none of ours behind.
    ungrab(registration);
    XSync(m_display, False);
    return false;
}

void X11HotKeys::ungrab(const Registration& registration)
{
    // Releases only this client's grabs; another client's grab of the same
    // combination stays.
    const Window root = DefaultRootWindow(m_display);
    for (unsigned int lock : registration.lockMasks)
        XUngrabKey(m_display, registration.keycode, registration.mask | lock, root);
}

void X11HotKeys::processEvents()
{
    if (!m_display)
        return;
    while (XPending(m_display) > 0) {
        XEvent event;
        XNextEvent(m_display, &event);
        handleEvent(event);
    }
}

void X11HotKeys::handleEvent(XEvent& event)
{
    switch (event.type) {
    case KeyPress: {
        const int keycode = static_cast<int>(event.xkey.keycode);
        const unsigned int state = relevantXModifiers(event.xkey.state);
        const auto match = std::find_if(m_registrations.begin(), m_registrations.end(), [&](const auto& entry) {
            return entry.second.keycode == keycode && entry.second.mask == state;
        });
        if (match == m_registrations.end())
            return;
        // An auto-repeated press of a key that has already fired.
        if (!m_heldKeycodes.insert(keycode).second)
            return;
        // Copied: the handler may register or unregister hot keys.
        const int id = match->first;
        const std::uint32_t modifiers = match->second.modifiers;
        const std::uint32_t virtualKey = match->second.virtualKey;
        if (m_handler)
            m_handler(id, modifiers, virtualKey);
        break;
    }
    case KeyRelease:
        m_heldKeycodes.erase(static_cast<int>(event.xkey.keycode));
        break;
    case MappingNotify:
        XRefreshKeyboardMapping(&event.xmapping);
        break;
    default:
        break;
    }
}

void X11HotKeys::listen()
{
    if (m_notifier || !m_display || !QAbstractEventDispatcher::instance())
        return;
    m_notifier = std::make_unique<QSocketNotifier>(ConnectionNumber(m_display), QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(), [this] { processEvents(); });
}

void X11HotKeys::drainLater()
{
    if (m_notifier)
        QMetaObject::invokeMethod(
            m_notifier.get(), [this] { processEvents(); }, Qt::QueuedConnection);
}

} // namespace platform::x11
