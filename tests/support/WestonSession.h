// A private headless weston for one test: a Wayland compositor that lets no
// program move the pointer (no virtual pointer, no desktop portal, and no
// input device at all), with or without XWayland. Started and ended with the
// object, every wait bounded.
//
// Like sway, it runs as the test's ordinary user (register the test
// UNPRIVILEGED), with its own XDG_RUNTIME_DIR and one output of 1280 x 1024.
// With XWayland, weston starts the X server on the first X client.
#pragma once

#include "support/BoundedProcess.h"

#include <QString>
#include <QTemporaryDir>
#include <QTemporaryFile>

namespace quorvel::test {

class WestonSession {
public:
    // Starts weston and waits until its Wayland socket, and with `xwayland`
    // the X display's name, are there.
    explicit WestonSession(bool xwayland, int startTimeoutMs = 10000);
    ~WestonSession() { stop(); }
    WestonSession(const WestonSession&) = delete;
    WestonSession& operator=(const WestonSession&) = delete;

    bool isRunning() const { return m_ready && m_process.isRunning(); }
    QString errorString() const { return m_error; }
    QString xDisplay() const { return m_xDisplay; } // empty without XWayland

    // Makes the programs this process starts from now on clients of the
    // session, X clients too where there is XWayland; no desktop is named
    // and no session bus is to be had.
    void exportEnvironment() const;

    void stop() { m_process.stop(); }

private:
    QTemporaryDir m_runtime;
    QTemporaryFile m_log; // weston's messages: the X display, and why it failed
    BoundedProcess m_process;
    QString m_xDisplay;
    QString m_error;
    bool m_ready = false;
};

} // namespace quorvel::test
