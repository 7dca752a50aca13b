#include "platform/wayland/PointerLocator.h"

#include "platform/wayland/WaylandConnection.h"

#include "platform/wayland/LayerShellProtocol.h"
#include "xdg-shell-client-protocol.h"

#include <chrono>
#include <cmath>
#include <memory>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>

namespace platform::wayland {
namespace {

// One output's overlay surface, destroyed with the object.
struct Overlay {
    Rect place; // the output's, in the layout
    wl_surface* surface = nullptr;
    zwlr_layer_surface_v1* layerSurface = nullptr;
    xdg_surface* windowSurface = nullptr;
    xdg_toplevel* window = nullptr;
    wl_buffer* buffer = nullptr;
    std::uint32_t bufferWidth = 0;
    std::uint32_t bufferHeight = 0;
    std::uint32_t width = 0; // as configured
    std::uint32_t height = 0;
    bool configured = false; // a configuration not yet shown
    bool closed = false;

    ~Overlay()
    {
        if (layerSurface)
            zwlr_layer_surface_v1_destroy(layerSurface);
        if (window)
            xdg_toplevel_destroy(window);
        if (windowSurface)
            xdg_surface_destroy(windowSurface);
        if (surface)
            wl_surface_destroy(surface);
        if (buffer)
            wl_buffer_destroy(buffer);
    }
};

const zwlr_layer_surface_v1_listener kLayerSurfaceListener{
    [](void* data, zwlr_layer_surface_v1* layerSurface, std::uint32_t serial, std::uint32_t width,
       std::uint32_t height) {
        auto* overlay = static_cast<Overlay*>(data);
        zwlr_layer_surface_v1_ack_configure(layerSurface, serial);
        overlay->width = width;
        overlay->height = height;
        overlay->configured = true;
    },
    [](void* data, zwlr_layer_surface_v1*) { static_cast<Overlay*>(data)->closed = true; },
};

const xdg_surface_listener kWindowSurfaceListener{
    [](void* data, xdg_surface* surface, std::uint32_t serial) {
        xdg_surface_ack_configure(surface, serial);
        static_cast<Overlay*>(data)->configured = true;
    },
};

const xdg_toplevel_listener kWindowListener{
    [](void* data, xdg_toplevel*, std::int32_t width, std::int32_t height, wl_array*) {
        // 0 leaves the size to the client: the output's.
        auto* overlay = static_cast<Overlay*>(data);
        overlay->width = static_cast<std::uint32_t>(width > 0 ? width : overlay->place.width);
        overlay->height = static_cast<std::uint32_t>(height > 0 ? height : overlay->place.height);
    },
    [](void* data, xdg_toplevel*) { static_cast<Overlay*>(data)->closed = true; },
    nullptr, // configure_bounds: version 4
    nullptr, // wm_capabilities: version 5
};

// Covers `overlay`'s output with a layer surface above everything, taking
// no keyboard focus; size 0 by 0 lets the compositor give the output's size.
void coverWithLayer(Overlay& overlay, zwlr_layer_shell_v1* layerShell, wl_output* output)
{
    overlay.layerSurface = zwlr_layer_shell_v1_get_layer_surface(
        layerShell, overlay.surface, output, ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY, "quorvel-pointer-position");
    zwlr_layer_surface_v1_add_listener(overlay.layerSurface, &kLayerSurfaceListener, &overlay);
    zwlr_layer_surface_v1_set_anchor(overlay.layerSurface,
                                     ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM |
                                         ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT | ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT);
    zwlr_layer_surface_v1_set_size(overlay.layerSurface, 0, 0);
    zwlr_layer_surface_v1_set_exclusive_zone(overlay.layerSurface, -1);
    zwlr_layer_surface_v1_set_keyboard_interactivity(overlay.layerSurface, 0);
}

// Covers `overlay`'s output with a window shown full screen on it.
void coverWithWindow(Overlay& overlay, xdg_wm_base* wmBase, wl_output* output)
{
    overlay.windowSurface = xdg_wm_base_get_xdg_surface(wmBase, overlay.surface);
    xdg_surface_add_listener(overlay.windowSurface, &kWindowSurfaceListener, &overlay);
    overlay.window = xdg_surface_get_toplevel(overlay.windowSurface);
    xdg_toplevel_add_listener(overlay.window, &kWindowListener, &overlay);
    xdg_toplevel_set_app_id(overlay.window, kApplicationId);
    xdg_toplevel_set_fullscreen(overlay.window, output);
    overlay.width = static_cast<std::uint32_t>(overlay.place.width);
    overlay.height = static_cast<std::uint32_t>(overlay.place.height);
}

// A fully transparent buffer: fresh shared memory reads as zeros, which is
// transparent black in ARGB. It is never written, so it costs no memory.
wl_buffer* transparentBuffer(wl_shm* shm, std::uint32_t width, std::uint32_t height)
{
    const std::size_t stride = static_cast<std::size_t>(width) * 4;
    const std::size_t size = stride * height;
    const int fd = memfd_create("quorvel-overlay", MFD_CLOEXEC);
    if (fd < 0)
        return nullptr;
    wl_buffer* buffer = nullptr;
    if (ftruncate(fd, static_cast<off_t>(size)) == 0) {
        wl_shm_pool* pool = wl_shm_create_pool(shm, fd, static_cast<std::int32_t>(size));
        buffer = wl_shm_pool_create_buffer(pool, 0, static_cast<std::int32_t>(width), static_cast<std::int32_t>(height),
                                           static_cast<std::int32_t>(stride), WL_SHM_FORMAT_ARGB8888);
        wl_shm_pool_destroy(pool); // the buffer keeps the memory
    }
    close(fd);
    return buffer;
}

} // namespace

std::optional<PointerLocator::Cover> PointerLocator::cover() const
{
    if (!m_connection.isConnected() || !m_connection.compositor() || !m_connection.shm())
        return std::nullopt;
    if (m_connection.layerShell())
        return Cover::LayerShell;
    if (m_connection.wmBase())
        return Cover::FullScreenWindows;
    return std::nullopt;
}

std::optional<Point> PointerLocator::locate(int timeoutMs)
{
    const std::optional<Cover> how = cover();
    return how ? locate(timeoutMs, *how) : std::nullopt;
}

std::optional<Point> PointerLocator::locate(int timeoutMs, Cover how)
{
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    const auto remaining = [&deadline] {
        return static_cast<int>(std::max<long long>(
            0, std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count()));
    };
    if (!m_connection.isConnected() || !m_connection.compositor() || !m_connection.shm() ||
        (how == Cover::LayerShell ? !m_connection.layerShell() : !m_connection.wmBase()))
        return std::nullopt;
    // The seat may have gained its pointer a moment ago.
    if (!m_connection.pointer())
        m_connection.roundtrip(remaining());
    if (!m_connection.pointer())
        return std::nullopt;

    std::vector<std::unique_ptr<Overlay>> overlays;
    for (const auto& output : m_connection.outputs()) {
        if (output->logical.width <= 0 || output->logical.height <= 0)
            continue;
        auto overlay = std::make_unique<Overlay>();
        overlay->place = output->logical;
        overlay->surface = wl_compositor_create_surface(m_connection.compositor());
        if (how == Cover::LayerShell)
            coverWithLayer(*overlay, m_connection.layerShell(), output->output);
        else
            coverWithWindow(*overlay, m_connection.wmBase(), output->output);
        wl_surface_commit(overlay->surface);
        overlays.push_back(std::move(overlay));
    }
    if (overlays.empty())
        return std::nullopt;

    std::optional<Point> position;
    const auto settled = [&overlays] {
        for (const auto& overlay : overlays)
            if (!overlay->configured && !overlay->closed)
                return false;
        return true;
    };
    // Shows each configured overlay with a transparent buffer of its size. A
    // window may be configured again (its first size, then full screen);
    // each new configuration is taken up with a commit of its own.
    const auto show = [this, &overlays] {
        for (const auto& overlay : overlays) {
            if (!overlay->configured || overlay->closed || overlay->width == 0 || overlay->height == 0)
                continue;
            overlay->configured = false;
            if (!overlay->buffer || overlay->bufferWidth != overlay->width ||
                overlay->bufferHeight != overlay->height) {
                if (overlay->buffer)
                    wl_buffer_destroy(overlay->buffer);
                overlay->buffer = transparentBuffer(m_connection.shm(), overlay->width, overlay->height);
                overlay->bufferWidth = overlay->width;
                overlay->bufferHeight = overlay->height;
            }
            if (!overlay->buffer)
                continue;
            wl_surface_attach(overlay->surface, overlay->buffer, 0, 0);
            wl_surface_damage(overlay->surface, 0, 0, static_cast<std::int32_t>(overlay->width),
                              static_cast<std::int32_t>(overlay->height));
            wl_surface_commit(overlay->surface);
        }
    };
    if (m_connection.dispatchUntil(settled, remaining())) {
        show();
        m_connection.setPointerEnterHandler([&overlays, &position](wl_surface* surface, double x, double y) {
            for (const auto& overlay : overlays)
                if (overlay->surface == surface)
                    position = Point{overlay->place.x + static_cast<int>(std::floor(x)),
                                     overlay->place.y + static_cast<int>(std::floor(y))};
        });
        m_connection.dispatchUntil(
            [&position, &show] {
                show();
                return position.has_value();
            },
            remaining());
        m_connection.setPointerEnterHandler({});
    }
    overlays.clear();
    // Gone from the screen before anything else is sent: a click that
    // follows must land on what lies under the overlays.
    m_connection.flush();
    return position;
}

} // namespace platform::wayland
