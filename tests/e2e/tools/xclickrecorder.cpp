// xclickrecorder: an X client that records the pointer buttons pressed on
// it, for end-to-end tests and the click timing benchmark.
//
//   xclickrecorder [--geometry WIDTHxHEIGHT+X+Y]... [--keys] [--realtime]
//
// Maps an override-redirect window (no window manager moves or decorates it)
// over the whole screen or each given rectangle, raised above everything
// mapped so far, and prints "ready" once the server has mapped them. Then one
// line per event:
//
//   press|release <button> <root_x> <root_y> <server_time_ms> [sent] us=<arrival>
//
// With --keys the window also takes the keyboard focus and reports
//
//   keypress|keyrelease <keycode> <root_x> <root_y> <server_time_ms> [sent] us=<arrival>
//
// "sent" marks an event made with XSendEvent. <arrival> is when the event
// reached the recorder, in microseconds of its own CLOCK_MONOTONIC: the
// moment it woke up to read it. The server's time has only milliseconds.
// With --realtime the recorder asks for real-time scheduling (SCHED_FIFO),
// so that it wakes up at once even on a busy machine; where that is not
// allowed it says so on standard error and goes on without. Exits on
// SIGTERM or SIGINT, or when its standard input reaches its end.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <sched.h>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>

namespace {

int g_signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 1;
    const ssize_t written = write(g_signalPipe[1], &byte, 1);
    (void)written;
}

struct Area {
    int x = 0;
    int y = 0;
    unsigned int width = 0;
    unsigned int height = 0;
};

struct Options {
    std::vector<Area> areas; // none: the whole screen
    bool keys = false;
    bool realtime = false;
};

bool parseArguments(int argc, char** argv, Options& options)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--keys") == 0) {
            options.keys = true;
        } else if (std::strcmp(argv[i], "--realtime") == 0) {
            options.realtime = true;
        } else if (std::strcmp(argv[i], "--geometry") == 0 && i + 1 < argc) {
            Area area;
            const int flags = XParseGeometry(argv[++i], &area.x, &area.y, &area.width, &area.height);
            if ((flags & (WidthValue | HeightValue)) != (WidthValue | HeightValue) || area.width == 0 ||
                area.height == 0)
                return false;
            options.areas.push_back(area);
        } else {
            return false;
        }
    }
    return true;
}

std::uint64_t monotonicMicroseconds()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::uint64_t>(now.tv_sec) * 1000000u + static_cast<std::uint64_t>(now.tv_nsec) / 1000u;
}

void report(const char* kind, unsigned int detail, int x, int y, Time time, bool sent, std::uint64_t arrival)
{
    std::printf("%s %u %d %d %lu%s us=%llu\n", kind, detail, x, y, static_cast<unsigned long>(time),
                sent ? " sent" : "", static_cast<unsigned long long>(arrival));
}

void handleEvent(const XEvent& event, std::uint64_t arrival)
{
    switch (event.type) {
    case ButtonPress:
    case ButtonRelease: {
        const XButtonEvent& e = event.xbutton;
        report(event.type == ButtonPress ? "press" : "release", e.button, e.x_root, e.y_root, e.time, e.send_event,
               arrival);
        break;
    }
    case KeyPress:
    case KeyRelease: {
        const XKeyEvent& e = event.xkey;
        report(event.type == KeyPress ? "keypress" : "keyrelease", e.keycode, e.x_root, e.y_root, e.time, e.send_event,
               arrival);
        break;
    }
    default:
        break;
    }
}

void becomeRealtime()
{
    sched_param param{};
    param.sched_priority = 50;
    if (sched_setscheduler(0, SCHED_FIFO, &param) != 0) {
        std::fprintf(stderr, "xclickrecorder: no real-time scheduling: %s\n", std::strerror(errno));
        return;
    }
    // No page faults later, while events are timed.
    mlockall(MCL_CURRENT | MCL_FUTURE);
    // Room for the lines of many thousand clicks: a reader that falls
    // behind must not block the recorder, or the events that come in the
    // meantime would be read late, together.
    fcntl(STDOUT_FILENO, F_SETPIPE_SZ, 1 << 20);
}

} // namespace

int main(int argc, char** argv)
{
    Options options;
    if (!parseArguments(argc, argv, options)) {
        std::fprintf(stderr, "usage: xclickrecorder [--geometry WIDTHxHEIGHT+X+Y]... [--keys] [--realtime]\n");
        return 2;
    }
    if (pipe(g_signalPipe) != 0) {
        std::perror("xclickrecorder: pipe");
        return 1;
    }
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);

    if (options.realtime)
        becomeRealtime();

    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "xclickrecorder: cannot open the X display \"%s\"\n", XDisplayName(nullptr));
        return 1;
    }
    const int screen = DefaultScreen(display);
    if (options.areas.empty())
        options.areas.push_back({0, 0, static_cast<unsigned int>(DisplayWidth(display, screen)),
                                 static_cast<unsigned int>(DisplayHeight(display, screen))});

    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    attributes.background_pixel = WhitePixel(display, screen);
    attributes.event_mask = ButtonPressMask | ButtonReleaseMask | StructureNotifyMask;
    if (options.keys)
        attributes.event_mask |= KeyPressMask | KeyReleaseMask;
    std::vector<Window> windows;
    for (const Area& area : options.areas) {
        const Window window = XCreateWindow(display, RootWindow(display, screen), area.x, area.y, area.width,
                                            area.height, 0, CopyFromParent, InputOutput, CopyFromParent,
                                            CWOverrideRedirect | CWBackPixel | CWEventMask, &attributes);
        XStoreName(display, window, "xclickrecorder");
        if (!options.keys) {
            // Typed as a notification, so that a compositor that gives the
            // keyboard to a clicked override-redirect window (sway with
            // XWayland) leaves it with the program under test.
            const Atom type = XInternAtom(display, "_NET_WM_WINDOW_TYPE", False);
            const Atom notification = XInternAtom(display, "_NET_WM_WINDOW_TYPE_NOTIFICATION", False);
            XChangeProperty(display, window, type, XA_ATOM, 32, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(&notification), 1);
        }
        XMapRaised(display, window);
        windows.push_back(window);
    }

    // Ready once the server has mapped the windows; the map of an
    // override-redirect window cannot be held up by a window manager.
    XEvent event;
    for (std::size_t mapped = 0; mapped < windows.size();) {
        XNextEvent(display, &event);
        if (event.type == MapNotify)
            ++mapped;
    }
    if (options.keys)
        XSetInputFocus(display, windows.front(), RevertToPointerRoot, CurrentTime);
    XSync(display, False);
    std::printf("ready\n");
    std::fflush(stdout);

    pollfd fds[3] = {
        {ConnectionNumber(display), POLLIN, 0},
        {STDIN_FILENO, POLLIN, 0},
        {g_signalPipe[0], POLLIN, 0},
    };
    bool running = true;
    while (running) {
        // Everything that has come in by now arrived during the wait that
        // just ended: it gets the moment of the wake-up.
        const std::uint64_t arrival = monotonicMicroseconds();
        for (int queued = XEventsQueued(display, QueuedAfterReading); queued > 0; --queued) {
            XNextEvent(display, &event);
            handleEvent(event, arrival);
        }
        std::fflush(stdout);
        if (poll(fds, 3, -1) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        if (fds[1].revents & (POLLIN | POLLHUP | POLLERR)) {
            char buffer[256];
            const ssize_t count = read(STDIN_FILENO, buffer, sizeof buffer);
            if (count == 0 || (count < 0 && errno != EINTR && errno != EAGAIN))
                running = false;
        }
        if (fds[2].revents & POLLIN)
            running = false;
        if (fds[0].revents & (POLLHUP | POLLERR))
            running = false;
    }
    for (const Window window : windows)
        XDestroyWindow(display, window);
    XCloseDisplay(display);
    return 0;
}
