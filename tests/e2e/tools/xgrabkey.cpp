// xgrabkey: an X client that holds a key combination, as another program
// that uses it as its own hot key would, for end-to-end tests.
//
//   xgrabkey ctrl+alt+s
//
// Grabs the key on the root window with the given modifiers (ctrl, shift,
// alt, super) alone and with Num Lock, Caps Lock and both, and prints
// "grabbed" when every grab succeeded or "refused" (and exits 1) when
// another client holds any of them. Then holds them until its standard input
// reaches its end or it gets SIGTERM or SIGINT.
#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <poll.h>
#include <string>
#include <unistd.h>

namespace {

volatile std::sig_atomic_t g_stop = 0;
int g_failedRequests = 0;

void onSignal(int)
{
    g_stop = 1;
}

int onError(Display*, XErrorEvent*)
{
    ++g_failedRequests;
    return 0;
}

bool parse(const char* text, unsigned int& modifiers, KeySym& keysym)
{
    std::string rest = text;
    modifiers = 0;
    for (;;) {
        const std::size_t plus = rest.find('+');
        if (plus == std::string::npos)
            break;
        const std::string part = rest.substr(0, plus);
        rest = rest.substr(plus + 1);
        if (part == "ctrl" || part == "control")
            modifiers |= ControlMask;
        else if (part == "shift")
            modifiers |= ShiftMask;
        else if (part == "alt")
            modifiers |= Mod1Mask;
        else if (part == "super")
            modifiers |= Mod4Mask;
        else
            return false;
    }
    keysym = XStringToKeysym(rest.c_str());
    return keysym != NoSymbol;
}

} // namespace

int main(int argc, char** argv)
{
    unsigned int modifiers = 0;
    KeySym keysym = NoSymbol;
    if (argc != 2 || !parse(argv[1], modifiers, keysym)) {
        std::fprintf(stderr, "usage: xgrabkey [ctrl+][shift+][alt+][super+]KEY\n");
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "xgrabkey: cannot open the display\n");
        return 2;
    }
    std::signal(SIGTERM, onSignal);
    std::signal(SIGINT, onSignal);

    const Window root = DefaultRootWindow(display);
    const KeyCode keycode = XKeysymToKeycode(display, keysym);
    const unsigned int numLock = Mod2Mask; // Xvfb's default modifier map
    const unsigned int locks[] = {0, numLock, LockMask, numLock | LockMask};
    XSetErrorHandler(onError);
    for (unsigned int lock : locks)
        XGrabKey(display, keycode, modifiers | lock, root, False, GrabModeAsync, GrabModeAsync);
    XSync(display, False);
    if (g_failedRequests != 0) {
        std::printf("refused\n");
        std::fflush(stdout);
        XCloseDisplay(display);
        return 1;
    }
    std::printf("grabbed\n");
    std::fflush(stdout);

    // Hold the grabs; read (and drop) what arrives, so the server never
    // waits on us.
    pollfd fds[2] = {{STDIN_FILENO, POLLIN, 0}, {ConnectionNumber(display), POLLIN, 0}};
    while (!g_stop) {
        if (poll(fds, 2, 200) < 0)
            continue;
        if (fds[0].revents & (POLLIN | POLLHUP)) {
            char buffer[64];
            if (read(STDIN_FILENO, buffer, sizeof buffer) <= 0)
                break;
        }
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
        }
    }
    XCloseDisplay(display);
    return 0;
}
