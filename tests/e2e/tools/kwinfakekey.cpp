// kwinfakekey: presses a key combination through KWin's fake input
// protocol (org_kde_kwin_fake_input), so that it goes through KWin's own key
// handling as a keyboard's would, global shortcuts included.
//
//   kwinfakekey CHORD...
//
// A chord is Linux key codes joined by '+' (29+56+31: Ctrl+Alt+S): its keys
// are pressed in order and released in reverse order, then the next chord
// comes (4 11 11 types "300"). "@X,Y" moves the pointer to (X, Y) instead. KWin offers the protocol only to
// a program whose desktop entry lists it in X-KDE-Wayland-Interfaces. Exits
// 0 once KWin has taken the keys, 1 when it has no such protocol for us.
#include "fake-input-client-protocol.h"

#include <wayland-client.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

namespace {

org_kde_kwin_fake_input* g_input = nullptr;

void global(void*, wl_registry* registry, uint32_t name, const char* interface, uint32_t version)
{
    if (std::strcmp(interface, org_kde_kwin_fake_input_interface.name) == 0 && version >= 4)
        g_input = static_cast<org_kde_kwin_fake_input*>(
            wl_registry_bind(registry, name, &org_kde_kwin_fake_input_interface, 4));
}

void globalRemove(void*, wl_registry*, uint32_t) {}

const wl_registry_listener kRegistryListener{global, globalRemove};

} // namespace

int main(int argc, char** argv)
{
    wl_display* display = wl_display_connect(nullptr);
    if (!display) {
        std::fprintf(stderr, "kwinfakekey: no Wayland display\n");
        return 1;
    }
    wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &kRegistryListener, nullptr);
    wl_display_roundtrip(display);
    if (!g_input) {
        std::fprintf(stderr, "kwinfakekey: KWin offers no org_kde_kwin_fake_input to this program\n");
        wl_registry_destroy(registry);
        wl_display_disconnect(display);
        return 1;
    }
    org_kde_kwin_fake_input_authenticate(g_input, "kwinfakekey", "end-to-end tests");
    for (int i = 1; i < argc; ++i) {
        if (argv[i][0] == '@') {
            char* y = nullptr;
            const double x = std::strtod(argv[i] + 1, &y);
            org_kde_kwin_fake_input_pointer_motion_absolute(g_input, wl_fixed_from_double(x),
                                                            wl_fixed_from_double(std::strtod(y + 1, nullptr)));
            wl_display_roundtrip(display);
            continue;
        }
        std::vector<uint32_t> keys;
        std::istringstream chord(argv[i]);
        for (std::string code; std::getline(chord, code, '+');)
            keys.push_back(static_cast<uint32_t>(std::strtoul(code.c_str(), nullptr, 10)));
        for (uint32_t key : keys)
            org_kde_kwin_fake_input_keyboard_key(g_input, key, WL_KEYBOARD_KEY_STATE_PRESSED);
        wl_display_roundtrip(display);
        for (auto key = keys.rbegin(); key != keys.rend(); ++key)
            org_kde_kwin_fake_input_keyboard_key(g_input, *key, WL_KEYBOARD_KEY_STATE_RELEASED);
        wl_display_roundtrip(display);
    }
    org_kde_kwin_fake_input_destroy(g_input);
    wl_registry_destroy(registry);
    wl_display_disconnect(display);
    return 0;
}
