#include "platform/wayland/WaylandPlatform.h"

#include "platform/wayland/WaylandConnection.h"
#include "platform/wayland/WaylandMouse.h"
#include "platform/x11/ErrorCodes.h"
#include "platform/x11/XdgShell.h"

namespace platform::wayland {

WaylandPlatform::WaylandPlatform(std::unique_ptr<HotKeys> hotKeys)
    : m_connection(std::make_unique<WaylandConnection>()), m_mouse(std::make_unique<WaylandMouse>(*m_connection)),
      m_hotKeys(std::move(hotKeys)), m_shell(x11::createXdgShell())
{
    m_connection->listen();
}

WaylandPlatform::~WaylandPlatform()
{
    // The pointer goes before its connection.
    m_mouse.reset();
    m_connection.reset();
}

Result WaylandPlatform::check()
{
    if (!m_connection->isConnected())
        return Result::failure(x11::kErrorNotSupported,
                               "cannot connect to the Wayland compositor at WAYLAND_DISPLAY=\"" +
                                   m_connection->displayName() + "\"");
    if (!m_mouse->canInject())
        return Result::failure(
            x11::kErrorNotSupported,
            "this Wayland compositor lets no program move the pointer (zwlr_virtual_pointer_manager_v1)");
    if (!m_connection->tellsLayout())
        return Result::failure(x11::kErrorNotSupported,
                               "this Wayland compositor does not tell where its outputs lie (zxdg_output_manager_v1)");
    return Result::success();
}

Mouse& WaylandPlatform::mouse()
{
    return *m_mouse;
}

} // namespace platform::wayland
