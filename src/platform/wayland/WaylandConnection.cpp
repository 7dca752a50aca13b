#include "platform/wayland/WaylandConnection.h"

#include "platform/wayland/LayerShellProtocol.h"
#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"
#include "xdg-output-unstable-v1-client-protocol.h"
#include "xdg-shell-client-protocol.h"

#include <QAbstractEventDispatcher>
#include <QSocketNotifier>

#include <wayland-client.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <poll.h>

namespace platform::wayland {
namespace {

// Every interface is bound at the lowest version that has what is used of
// it, so that no event the listeners below do not know can come.
constexpr std::uint32_t kCompositorVersion = 1;
constexpr std::uint32_t kShmVersion = 1;
constexpr std::uint32_t kSeatVersion = 1;
constexpr std::uint32_t kOutputVersion = 1;
constexpr std::uint32_t kOutputManagerVersion = 1;
constexpr std::uint32_t kLayerShellVersion = 1;
constexpr std::uint32_t kWmBaseVersion = 1;
constexpr std::uint32_t kVirtualPointerManagerVersion = 1;

template <typename T>
T* bind(wl_registry* registry, std::uint32_t name, const wl_interface* interface, std::uint32_t version)
{
    return static_cast<T*>(wl_registry_bind(registry, name, interface, version));
}

} // namespace

struct WaylandConnection::Listeners {
    static WaylandConnection* self(void* data) { return static_cast<WaylandConnection*>(data); }
    static Output* output(void* data) { return static_cast<Output*>(data); }

    static constexpr wl_registry_listener kRegistry{
        [](void* data, wl_registry* registry, std::uint32_t name, const char* interface, std::uint32_t version) {
            self(data)->addGlobal(registry, name, interface, version);
        },
        [](void* data, wl_registry*, std::uint32_t name) { self(data)->removeGlobal(name); },
    };

    static constexpr zxdg_output_v1_listener kXdgOutput{
        [](void* data, zxdg_output_v1*, std::int32_t x, std::int32_t y) {
            output(data)->logical.x = x;
            output(data)->logical.y = y;
        },
        [](void* data, zxdg_output_v1*, std::int32_t width, std::int32_t height) {
            output(data)->logical.width = width;
            output(data)->logical.height = height;
        },
        [](void*, zxdg_output_v1*) {},
        nullptr, // name: version 2
        nullptr, // description: version 2
    };

    static constexpr wl_seat_listener kSeat{
        [](void* data, wl_seat*, std::uint32_t capabilities) { self(data)->seatCapabilities(capabilities); },
        nullptr, // name: version 2
    };

    // Only the pointer's entering is wanted. The listener is filled by name
    // rather than in order: each version of libwayland adds events at its
    // end (axis_relative_direction in 1.22), which the seat's version here
    // never sends and which stay null.
    static constexpr wl_pointer_listener pointerListener()
    {
        wl_pointer_listener listener{};
        listener.enter = [](void* data, wl_pointer*, std::uint32_t, wl_surface* surface, wl_fixed_t x, wl_fixed_t y) {
            auto* connection = static_cast<WaylandConnection*>(data);
            if (connection->m_enterHandler)
                connection->m_enterHandler(surface, wl_fixed_to_double(x), wl_fixed_to_double(y));
        };
        listener.leave = [](void*, wl_pointer*, std::uint32_t, wl_surface*) {};
        listener.motion = [](void*, wl_pointer*, std::uint32_t, wl_fixed_t, wl_fixed_t) {};
        listener.button = [](void*, wl_pointer*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t) {};
        listener.axis = [](void*, wl_pointer*, std::uint32_t, std::uint32_t, wl_fixed_t) {};
        return listener;
    }

    // A client that does not answer the shell's pings is taken for hung.
    static constexpr xdg_wm_base_listener kWmBase{
        [](void*, xdg_wm_base* wmBase, std::uint32_t serial) { xdg_wm_base_pong(wmBase, serial); },
    };

    static constexpr wl_callback_listener kDone{
        [](void* data, wl_callback*, std::uint32_t) { *static_cast<bool*>(data) = true; },
    };
};

WaylandConnection::WaylandConnection()
{
    const char* name = std::getenv("WAYLAND_DISPLAY");
    m_displayName = name ? name : "";
    m_display = wl_display_connect(nullptr);
    if (!m_display)
        return;
    m_registry = wl_display_get_registry(m_display);
    wl_registry_add_listener(m_registry, &Listeners::kRegistry, this);
    // The first round trip brings the globals, the second what the bound
    // ones tell at once (the outputs' places, the seat's capabilities).
    if (roundtrip())
        roundtrip();
}

WaylandConnection::~WaylandConnection()
{
    m_notifier.reset();
    if (!m_display)
        return;
    for (const auto& output : m_outputs) {
        if (output->xdgOutput)
            zxdg_output_v1_destroy(output->xdgOutput);
        wl_output_destroy(output->output);
    }
    if (m_pointer)
        wl_pointer_destroy(m_pointer);
    if (m_seat)
        wl_seat_destroy(m_seat);
    if (m_outputManager)
        zxdg_output_manager_v1_destroy(m_outputManager);
    if (m_virtualPointerManager)
        zwlr_virtual_pointer_manager_v1_destroy(m_virtualPointerManager);
    if (m_layerShell)
        zwlr_layer_shell_v1_destroy(m_layerShell);
    if (m_wmBase)
        xdg_wm_base_destroy(m_wmBase);
    if (m_shm)
        wl_shm_destroy(m_shm);
    if (m_compositor)
        wl_compositor_destroy(m_compositor);
    wl_registry_destroy(m_registry);
    wl_display_flush(m_display);
    wl_display_disconnect(m_display);
}

bool WaylandConnection::isConnected() const
{
    return m_display && wl_display_get_error(m_display) == 0;
}

std::vector<Rect> WaylandConnection::layout() const
{
    std::vector<Rect> rects;
    for (const auto& output : m_outputs)
        if (output->logical.width > 0 && output->logical.height > 0)
            rects.push_back(output->logical);
    return rects;
}

void WaylandConnection::addGlobal(wl_registry* registry, std::uint32_t name, const char* interface,
                                  std::uint32_t version)
{
    const auto is = [interface](const wl_interface& known) { return std::strcmp(interface, known.name) == 0; };
    if (is(wl_compositor_interface) && !m_compositor) {
        m_compositor = bind<wl_compositor>(registry, name, &wl_compositor_interface, kCompositorVersion);
    } else if (is(wl_shm_interface) && !m_shm) {
        m_shm = bind<wl_shm>(registry, name, &wl_shm_interface, kShmVersion);
    } else if (is(wl_seat_interface) && !m_seat) {
        // The first seat is the default one, which a virtual pointer created
        // without a seat would join too.
        m_seat = bind<wl_seat>(registry, name, &wl_seat_interface, kSeatVersion);
        wl_seat_add_listener(m_seat, &Listeners::kSeat, this);
    } else if (is(wl_output_interface)) {
        auto output = std::make_unique<Output>();
        output->name = name;
        output->output = bind<wl_output>(registry, name, &wl_output_interface, kOutputVersion);
        watchOutput(*output);
        m_outputs.push_back(std::move(output));
    } else if (is(zxdg_output_manager_v1_interface) && !m_outputManager) {
        m_outputManager =
            bind<zxdg_output_manager_v1>(registry, name, &zxdg_output_manager_v1_interface, kOutputManagerVersion);
        for (const auto& output : m_outputs)
            watchOutput(*output);
    } else if (is(zwlr_layer_shell_v1_interface) && !m_layerShell) {
        m_layerShell = bind<zwlr_layer_shell_v1>(registry, name, &zwlr_layer_shell_v1_interface, kLayerShellVersion);
    } else if (is(xdg_wm_base_interface) && !m_wmBase) {
        m_wmBase = bind<xdg_wm_base>(registry, name, &xdg_wm_base_interface, kWmBaseVersion);
        xdg_wm_base_add_listener(m_wmBase, &Listeners::kWmBase, this);
    } else if (is(zwlr_virtual_pointer_manager_v1_interface) && !m_virtualPointerManager) {
        m_virtualPointerManager = bind<zwlr_virtual_pointer_manager_v1>(
            registry, name, &zwlr_virtual_pointer_manager_v1_interface, kVirtualPointerManagerVersion);
    }
    (void)version; // every version offered has what is bound above
}

void WaylandConnection::removeGlobal(std::uint32_t name)
{
    const auto gone = std::find_if(m_outputs.begin(), m_outputs.end(),
                                   [name](const std::unique_ptr<Output>& output) { return output->name == name; });
    if (gone == m_outputs.end())
        return;
    if ((*gone)->xdgOutput)
        zxdg_output_v1_destroy((*gone)->xdgOutput);
    wl_output_destroy((*gone)->output);
    m_outputs.erase(gone);
}

void WaylandConnection::watchOutput(Output& output)
{
    if (!m_outputManager || output.xdgOutput)
        return;
    output.xdgOutput = zxdg_output_manager_v1_get_xdg_output(m_outputManager, output.output);
    zxdg_output_v1_add_listener(output.xdgOutput, &Listeners::kXdgOutput, &output);
}

void WaylandConnection::seatCapabilities(std::uint32_t capabilities)
{
    const bool hasPointer = capabilities & WL_SEAT_CAPABILITY_POINTER;
    if (hasPointer && !m_pointer) {
        m_pointer = wl_seat_get_pointer(m_seat);
        static constexpr wl_pointer_listener kPointer = Listeners::pointerListener();
        wl_pointer_add_listener(m_pointer, &kPointer, this);
    } else if (!hasPointer && m_pointer) {
        wl_pointer_destroy(m_pointer);
        m_pointer = nullptr;
    }
}

bool WaylandConnection::roundtrip(int timeoutMs)
{
    if (!isConnected())
        return false;
    bool done = false;
    wl_callback* callback = wl_display_sync(m_display);
    wl_callback_add_listener(callback, &Listeners::kDone, &done);
    const bool answered = dispatchUntil([&done] { return done; }, timeoutMs);
    // Should the answer still come, it finds no proxy and is dropped.
    wl_callback_destroy(callback);
    return answered;
}

bool WaylandConnection::dispatchUntil(const std::function<bool()>& done, int timeoutMs)
{
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (isConnected()) {
        if (wl_display_dispatch_pending(m_display) < 0)
            return false;
        if (done())
            return true;
        if (wl_display_prepare_read(m_display) != 0)
            continue; // more events are queued: handle them first
        flush();
        const auto remaining = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (remaining.count() <= 0) {
            wl_display_cancel_read(m_display);
            return false;
        }
        pollfd entry{wl_display_get_fd(m_display), POLLIN, 0};
        const int ready = poll(&entry, 1, static_cast<int>(remaining.count()));
        if (ready > 0) {
            if (wl_display_read_events(m_display) < 0)
                return false;
        } else {
            wl_display_cancel_read(m_display);
            if (ready < 0 && errno != EINTR)
                return false;
        }
    }
    return false;
}

void WaylandConnection::flush()
{
    // A full socket (EAGAIN) keeps the rest for the next flush; the
    // requests sent here are few and small.
    if (isConnected())
        wl_display_flush(m_display);
}

void WaylandConnection::listen()
{
    if (m_notifier || !isConnected() || !QAbstractEventDispatcher::instance())
        return;
    m_notifier = std::make_unique<QSocketNotifier>(wl_display_get_fd(m_display), QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(), [this] { readEvents(); });
}

void WaylandConnection::readEvents()
{
    if (wl_display_prepare_read(m_display) == 0) {
        if (wl_display_read_events(m_display) < 0 || !isConnected()) {
            // The compositor is gone: the socket would stay readable for ever.
            m_notifier->setEnabled(false);
            return;
        }
    }
    wl_display_dispatch_pending(m_display);
    flush();
}

} // namespace platform::wayland
