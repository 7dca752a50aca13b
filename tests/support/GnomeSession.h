// A private headless GNOME stack for one test: mutter (a Wayland display
// server of 1280 x 1024 with Xwayland), PipeWire and WirePlumber, on a
// session bus of its own, where xdg-desktop-portal and
// xdg-desktop-portal-gnome start by D-Bus activation as on a desktop. With
// the shell, GNOME Shell runs instead of bare mutter (GNOME's global
// shortcuts need it), with a stand-in system bus, since it will not start
// without one. Started and ended with the object; every wait bounded.
//
// Mutter runs as an ordinary user (tests registered UNPRIVILEGED run as
// "nobody" when ctest runs as root); the session has its own
// XDG_RUNTIME_DIR (mode 0700). The portal's "Remote desktop" dialog is
// answered as a person would, through mutter's own interfaces (see
// MutterRemote). The services the bus started are ended by their process
// ids with the session.
#pragma once

#include "support/BoundedProcess.h"
#include "support/SessionBus.h"

#include <QString>
#include <QTemporaryDir>
#include <QTemporaryFile>

namespace quorvel::test {

class GnomeSession {
public:
    // The programs the stack needs, or why it cannot run here (empty when
    // it can): a test skips with this reason.
    static QString missingPrograms();

    struct Options {
        bool shell = false; // GNOME Shell rather than bare mutter
    };

    // Starts the stack and waits until the portal answers.
    explicit GnomeSession(const Options& options);
    GnomeSession() : GnomeSession(Options()) {}
    ~GnomeSession();
    GnomeSession(const GnomeSession&) = delete;
    GnomeSession& operator=(const GnomeSession&) = delete;

    bool isRunning() const { return m_error.isEmpty() && m_mutter.isRunning(); }
    QString errorString() const { return m_error; }

    QString runtimeDir() const { return m_runtime.path(); }
    QString busAddress() const { return m_bus.address(); }
    QString xDisplay() const { return m_xDisplay; } // Xwayland's, ":1" or another
    QString xAuthority() const { return m_xAuthority; }
    // The RemoteDesktop portal's version: 1 on GNOME 43, 2 on GNOME 46 and
    // later, which remember the user's answer and hand out libei.
    uint remoteDesktopVersion() const { return m_remoteDesktopVersion; }
    // The GlobalShortcuts portal's version, 0 where there is none (GNOME 43).
    uint globalShortcutsVersion() { return m_bus.portalVersion("org.freedesktop.portal.GlobalShortcuts", 10000); }

    // Makes the programs this process starts from now on clients of the
    // session (WAYLAND_DISPLAY, XDG_RUNTIME_DIR, XDG_CURRENT_DESKTOP=GNOME),
    // with no X display.
    void exportEnvironment() const;

    // While one lives, programs started by this process get Xwayland's
    // display too (the click recorder).
    class XClients {
    public:
        explicit XClients(const GnomeSession& session);
        ~XClients();
        XClients(const XClients&) = delete;
        XClients& operator=(const XClients&) = delete;
    };

    // Mutter's messages, for failure messages.
    QString log() const;

private:
    bool start(const Options& options);
    void stop();

    SessionBus m_bus;
    SessionBus m_systemBus;
    QTemporaryDir m_runtime;
    QTemporaryFile m_log;
    BoundedProcess m_pipewire;
    BoundedProcess m_wireplumber;
    BoundedProcess m_mutter;
    QString m_xDisplay;
    QString m_xAuthority;
    uint m_remoteDesktopVersion = 0;
    QString m_error;
};

} // namespace quorvel::test
