// A private headless sway for one test, with XWayland: a Wayland session
// without a GPU, an input device or a display, started and ended with the
// object and every wait bounded.
//
// Sway refuses to run as root and XWayland refuses root's clients, so the
// test runs as an ordinary user (tests registered UNPRIVILEGED are run as
// "nobody" when ctest runs as root); the session, the program under test
// and the test's helpers then share that user. The session has its own
// XDG_RUNTIME_DIR (mode 0700), one output HEADLESS-1 of 1280 x 1024 at
// (0, 0), a virtual keyboard that stays, and XWayland, whose display name it
// learns at start.
//
// Clicks are seen with the click recorder as an X client under XWayland
// (see XClients); keys are typed with wtype, through the virtual keyboard
// protocol; sway is asked and told things with swaymsg.
#pragma once

#include "support/BoundedProcess.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTemporaryFile>

#include <optional>

namespace quorvel::test {

class SwaySession {
public:
    struct Options {
        // Further lines of sway's configuration, for instance a binding
        // that runs the program: "bindsym Ctrl+Alt+t exec /path/quorvel --toggle".
        // What sway runs gets the session (WAYLAND_DISPLAY, SWAYSOCK,
        // XWayland's DISPLAY) and the test's HOME, XDG folders and PATH.
        QStringList extraConfig;
        int startTimeoutMs = 10000;
    };

    // Starts sway and waits until its IPC answers and XWayland's display
    // name is known.
    SwaySession();
    explicit SwaySession(const Options& options);
    ~SwaySession();
    SwaySession(const SwaySession&) = delete;
    SwaySession& operator=(const SwaySession&) = delete;

    bool isRunning() const;
    QString errorString() const { return m_error; }
    qint64 pid() const { return m_process.pid(); }

    QString runtimeDir() const { return m_runtime.path(); }
    QString waylandDisplay() const { return m_waylandDisplay; } // "wayland-1"
    QString ipcSocket() const { return m_ipcSocket; }           // for SWAYSOCK
    QString xDisplay() const { return m_xDisplay; }             // XWayland's, ":0" or another

    // Makes the programs this process starts from now on clients of the
    // session: WAYLAND_DISPLAY, XDG_RUNTIME_DIR and SWAYSOCK set, and no
    // X display.
    void exportEnvironment() const;

    // While one lives, programs started by this process get XWayland's
    // display too (the click recorder, xdotool).
    class XClients {
    public:
        explicit XClients(const SwaySession& session);
        ~XClients();
        XClients(const XClients&) = delete;
        XClients& operator=(const XClients&) = delete;
    };

    // swaymsg -t <type> [payload]: the reply; nothing when it failed.
    std::optional<QJsonDocument> message(const QString& type, const QString& payload = {}) const;
    // Runs a sway command; whether sway carried it out.
    bool command(const QString& text) const;
    // wtype with these arguments: "-M ctrl -M alt g -m alt -m ctrl", "-k Return", "300".
    bool type(const QStringList& arguments) const;
    // The window (a node of sway's tree) of the application `appId`, with
    // the title `name` when one is given, waiting at most `timeoutMs` for it
    // to appear.
    std::optional<QJsonObject> waitForWindow(const QString& appId, int timeoutMs = 15000,
                                             const QString& name = {}) const;

    // Ends sway now (the destructor does it otherwise).
    void stop();

private:
    bool start(const Options& options);

    QTemporaryDir m_runtime;
    QTemporaryFile m_log; // sway's messages, quoted when it fails to start
    BoundedProcess m_process;
    BoundedProcess m_keyboard; // keeps a keyboard in the seat
    QString m_waylandDisplay;
    QString m_ipcSocket;
    QString m_xDisplay;
    QString m_error;
};

} // namespace quorvel::test
