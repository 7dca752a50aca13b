// The Wayland back end's own connection to the compositor, apart from the
// one Qt's window uses: the globals the back end works with, the outputs
// with their places in the layout (from xdg-output), and the seat's pointer.
//
// Every wait on the compositor is bounded. Events that come while nobody
// waits (an output added or removed, the seat gaining a pointer) are read
// on the Qt event loop once listen() has run.
#pragma once

#include "platform/wayland/OutputLayout.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QSocketNotifier;
struct wl_compositor;
struct wl_display;
struct wl_output;
struct wl_pointer;
struct wl_registry;
struct wl_seat;
struct wl_shm;
struct wl_surface;
struct xdg_wm_base;
struct zwlr_layer_shell_v1;
struct zwlr_virtual_pointer_manager_v1;
struct zxdg_output_manager_v1;
struct zxdg_output_v1;

namespace platform::wayland {

class WaylandConnection {
public:
    static constexpr int kTimeoutMs = 2000;

    // Connects to the compositor that WAYLAND_DISPLAY names and learns its
    // globals and outputs. A failure is not fatal: isConnected() is false
    // and every wait fails at once.
    WaylandConnection();
    ~WaylandConnection();
    WaylandConnection(const WaylandConnection&) = delete;
    WaylandConnection& operator=(const WaylandConnection&) = delete;

    // Connected, and the compositor has reported no protocol error.
    bool isConnected() const;
    // WAYLAND_DISPLAY as it was at the start, for messages.
    const std::string& displayName() const { return m_displayName; }

    wl_compositor* compositor() const { return m_compositor; }
    wl_shm* shm() const { return m_shm; }
    wl_seat* seat() const { return m_seat; }
    zwlr_layer_shell_v1* layerShell() const { return m_layerShell; }
    xdg_wm_base* wmBase() const { return m_wmBase; }
    zwlr_virtual_pointer_manager_v1* virtualPointerManager() const { return m_virtualPointerManager; }
    // The compositor tells where its outputs lie in the layout.
    bool tellsLayout() const { return m_outputManager != nullptr; }

    struct Output {
        std::uint32_t name = 0; // the registry's name of the global
        wl_output* output = nullptr;
        zxdg_output_v1* xdgOutput = nullptr;
        Rect logical;
    };
    const std::vector<std::unique_ptr<Output>>& outputs() const { return m_outputs; }
    // The rectangles of the outputs whose size is known.
    std::vector<Rect> layout() const;

    // The seat's pointer, while the seat has one.
    wl_pointer* pointer() const { return m_pointer; }
    // Called for every wl_pointer.enter with the surface and the position
    // on it.
    using EnterHandler = std::function<void(wl_surface* surface, double x, double y)>;
    void setPointerEnterHandler(EnterHandler handler) { m_enterHandler = std::move(handler); }

    // Sends what is queued and waits until the compositor has handled it.
    bool roundtrip(int timeoutMs = kTimeoutMs);
    // Handles events until `done` holds or `timeoutMs` has passed; whether
    // `done` held.
    bool dispatchUntil(const std::function<bool()>& done, int timeoutMs);
    void flush();
    // From now on, events are read whenever they come, on the Qt event loop
    // (when there is one).
    void listen();

private:
    struct Listeners;

    void addGlobal(wl_registry* registry, std::uint32_t name, const char* interface, std::uint32_t version);
    void removeGlobal(std::uint32_t name);
    void watchOutput(Output& output);
    void seatCapabilities(std::uint32_t capabilities);
    void readEvents();

    std::string m_displayName;
    wl_display* m_display = nullptr;
    wl_registry* m_registry = nullptr;
    wl_compositor* m_compositor = nullptr;
    wl_shm* m_shm = nullptr;
    wl_seat* m_seat = nullptr;
    wl_pointer* m_pointer = nullptr;
    zwlr_layer_shell_v1* m_layerShell = nullptr;
    xdg_wm_base* m_wmBase = nullptr;
    zwlr_virtual_pointer_manager_v1* m_virtualPointerManager = nullptr;
    zxdg_output_manager_v1* m_outputManager = nullptr;
    std::vector<std::unique_ptr<Output>> m_outputs;
    EnterHandler m_enterHandler;
    std::unique_ptr<QSocketNotifier> m_notifier;
};

} // namespace platform::wayland
