#include "platform/x11/X11Platform.h"

#include "platform/x11/ErrorCodes.h"
#include "platform/x11/X11HotKeys.h"
#include "platform/x11/X11Mouse.h"
#include "platform/x11/XdgShell.h"

#include <QGuiApplication>

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

namespace platform::x11 {
namespace {

// Qt follows the keyboard on its own connection through XKB's state
// notifications, which by default come for every change of the pointer's
// buttons too, whoever presses them: each click played would wake the
// window's thread twice. Qt looks at the modifiers and the group only.
void spareTheWindowPointerButtons()
{
    // A program without windows (the tests of this back end) has no such
    // connection.
    auto* gui = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    auto* x11 = gui ? gui->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->display())
        return;
    XkbSelectEventDetails(x11->display(), XkbUseCoreKbd, XkbStateNotify, XkbPointerButtonMask, 0);
    XFlush(x11->display());
}

} // namespace

X11Platform::X11Platform(std::unique_ptr<HotKeys> sessionHotKeys)
{
    const char* name = XDisplayName(nullptr);
    m_displayName = name ? name : "";
    m_pointerDisplay = XOpenDisplay(nullptr);
    if (m_pointerDisplay) {
        m_keyDisplay = XOpenDisplay(nullptr);
        int eventBase = 0;
        int errorBase = 0;
        int major = 0;
        int minor = 0;
        m_hasXTest = XTestQueryExtension(m_pointerDisplay, &eventBase, &errorBase, &major, &minor);
    }
    m_underWayland = sessionHotKeys != nullptr;
    m_mouse = std::make_unique<X11Mouse>(m_pointerDisplay, m_hasXTest, m_underWayland);
    spareTheWindowPointerButtons();
    if (m_underWayland)
        m_hotKeys = std::move(sessionHotKeys);
    else
        m_hotKeys = std::make_unique<X11HotKeys>(m_keyDisplay);
    m_shell = createXdgShell();
}

X11Platform::~X11Platform()
{
    // The users of the connections go first: the hot keys release their
    // grabs on the way out.
    m_hotKeys.reset();
    m_mouse.reset();
    if (m_keyDisplay)
        XCloseDisplay(m_keyDisplay);
    if (m_pointerDisplay)
        XCloseDisplay(m_pointerDisplay);
}

Result X11Platform::check()
{
    if (!m_pointerDisplay || !m_keyDisplay) {
        std::string message = "cannot open the X display \"" + m_displayName + "\"";
        if (m_displayName.empty())
            message += " (DISPLAY is not set)";
        return Result::failure(kErrorNotSupported, message);
    }
    if (!m_hasXTest)
        return Result::failure(kErrorNotSupported, "the X server has no XTest extension");
    return Result::success();
}

std::string X11Platform::clickPath()
{
    return m_underWayland ? "XWayland (XTest), which reaches X11 windows only" : "X11 (XTest)";
}

Mouse& X11Platform::mouse()
{
    return *m_mouse;
}

HotKeys& X11Platform::hotKeys()
{
    return *m_hotKeys;
}

Shell& X11Platform::shell()
{
    return *m_shell;
}

} // namespace platform::x11
