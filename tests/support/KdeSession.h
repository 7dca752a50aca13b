// A private headless KDE stack for one test: KWin with XWayland on one or
// more virtual outputs of 1280 x 1024 side by side, PipeWire, and the
// desktop portal with KDE's back end, all on a private session bus with
// XDG_CURRENT_DESKTOP=KDE. Started and ended with the object, every wait
// bounded.
//
// KWin, like sway, runs as the test's ordinary user (register the test
// UNPRIVILEGED). The packaged kwin_wayland carries file capabilities that an
// ordinary user cannot take up, so a plain copy of it runs (named
// kwin_wayland still: KWin loads its own Qt platform only under that name).
// KWin starts a small script of ours inside the session, which writes
// XWayland's display down for the test. The portals are started by D-Bus
// activation, with the session's variables given to the bus first.
#pragma once

#include "support/BoundedProcess.h"
#include "support/SessionBus.h"

#include <QString>
#include <QTemporaryDir>
#include <QTemporaryFile>

namespace quorvel::test {

class KdeSession {
public:
    struct Options {
        int outputCount = 1;
        int startTimeoutMs = 20000;
    };

    explicit KdeSession(const Options& options);
    ~KdeSession();
    KdeSession(const KdeSession&) = delete;
    KdeSession& operator=(const KdeSession&) = delete;

    bool isRunning() const;
    QString errorString() const { return m_error; }

    QString runtimeDir() const { return m_runtime.path(); }
    QString waylandDisplay() const { return QStringLiteral("wayland-1"); }
    QString xDisplay() const { return m_xDisplay; }

    // Makes the programs this process starts from now on clients of the
    // session, X clients (the click recorder) included: WAYLAND_DISPLAY,
    // DISPLAY, XDG_RUNTIME_DIR, XDG_CURRENT_DESKTOP=KDE, and the session bus.
    void exportEnvironment() const;

    // Presses chords of Linux key codes through KWin's fake input
    // (tests/e2e/tools/kwinfakekey), so that KWin handles them as a
    // keyboard's: {"29+56+31"} is Ctrl+Alt+S, {"4", "11"} types "30";
    // "@X,Y" moves the pointer there.
    bool pressKeys(const QStringList& chords) const;

    // The RemoteDesktop portal's version: 1 on Plasma 5.27, 2 on Plasma 6,
    // which asks the user ("Remote control requested") and remembers.
    uint remoteDesktopVersion() const { return m_remoteDesktopVersion; }
    // Waits at most `timeoutMs` for a window captioned `caption` (the
    // portal's "Remote control requested", a box of the program's), found
    // among KWin's windows, raises it and answers it with Return (Share,
    // OK), as a person at the keyboard would; true once it has gone.
    bool answerWindow(const QString& caption, int timeoutMs);
    bool answerRemoteControlDialog(int timeoutMs)
    {
        return answerWindow(QStringLiteral("Remote control requested"), timeoutMs);
    }

    // Ends KWin and the bus (the destructor does it otherwise).
    void stop();

private:
    bool start(const Options& options);
    bool grantFakeInput();

    QTemporaryDir m_runtime;
    QTemporaryDir m_bin; // the plain copy of kwin_wayland and the script
    QTemporaryFile m_log;
    SessionBus m_bus;
    BoundedProcess m_pipewire;
    BoundedProcess m_wireplumber;
    BoundedProcess m_kwin;
    QString m_xDisplay;
    uint m_remoteDesktopVersion = 0;
    QString m_error;
};

} // namespace quorvel::test
