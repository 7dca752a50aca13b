#include "support/KdeSession.h"

#include "support/SessionProcesses.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QThread>

#include <csignal>
#include <unistd.h>

namespace quorvel::test {

KdeSession::KdeSession(const Options& options)
{
    if (!start(options))
        stop();
}

KdeSession::~KdeSession()
{
    stop();
}

bool KdeSession::start(const Options& options)
{
    if (geteuid() == 0) {
        m_error = "KWin's XWayland refuses root's clients; register the test UNPRIVILEGED";
        return false;
    }
    const QString kwin = QStandardPaths::findExecutable("kwin_wayland");
    if (kwin.isEmpty() || !m_runtime.isValid() || !m_bin.isValid()) {
        m_error = "kwin_wayland is not installed, or no temporary folder";
        return false;
    }
    // XWayland cannot make its socket folder as an ordinary user.
    if (!QFileInfo(QStringLiteral("/tmp/.X11-unix")).isDir()) {
        m_error = "/tmp/.X11-unix is missing (make it as root, mode 1777)";
        return false;
    }
    const QString copy = m_bin.path() + "/kwin_wayland";
    const QString script = m_bin.path() + "/inside";
    QFile inside(script);
    if (!QFile::copy(kwin, copy) || !inside.open(QIODevice::WriteOnly) ||
        inside.write("#!/bin/sh\necho \"$DISPLAY\" > \"$XDG_RUNTIME_DIR/display.new\"\n"
                     "mv \"$XDG_RUNTIME_DIR/display.new\" \"$XDG_RUNTIME_DIR/display\"\nexec sleep 3600\n") < 0) {
        m_error = "cannot copy kwin_wayland";
        return false;
    }
    inside.close();
    QFile::setPermissions(copy, QFile::ReadOwner | QFile::ExeOwner);
    QFile::setPermissions(script, QFile::ReadOwner | QFile::ExeOwner);
    if (!grantFakeInput()) {
        m_error = "cannot write the desktop entry of kwinfakekey";
        return false;
    }
    if (!m_bus.start()) {
        m_error = m_bus.errorString();
        return false;
    }

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_RUNTIME_DIR", m_runtime.path());
    environment.insert("XDG_CURRENT_DESKTOP", "KDE");
    environment.insert("XDG_SESSION_TYPE", "wayland");
    environment.remove("DISPLAY");
    environment.remove("WAYLAND_DISPLAY");
    environment.remove("QT_QPA_PLATFORM");
    for (BoundedProcess* p : {&m_pipewire, &m_wireplumber, &m_kwin}) {
        p->setEnvironment(environment);
        p->discardStandardOutput();
    }
    if (m_log.open())
        m_kwin.setStandardErrorFile(m_log.fileName());
    const QDeadlineTimer deadline(options.startTimeoutMs);
    const QString display = m_runtime.path() + "/display";
    bool ready = m_pipewire.start("pipewire", {}) && m_wireplumber.start("wireplumber", {}) &&
                 m_kwin.start(copy, {"--virtual", "--xwayland", "--width", "1280", "--height", "1024", "--output-count",
                                     QString::number(options.outputCount), "--socket", waylandDisplay(),
                                     "--no-lockscreen", script});
    while (ready && !QFile::exists(display)) {
        if (deadline.hasExpired() || !m_kwin.isRunning())
            ready = false;
        QThread::msleep(20);
    }
    if (ready) {
        QFile file(display);
        if (file.open(QIODevice::ReadOnly))
            m_xDisplay = QString::fromUtf8(file.readAll()).trimmed();
        exportEnvironment();
        // The portals, started later by the bus, get the session.
        ready = !m_xDisplay.isEmpty() &&
                runBounded("dbus-update-activation-environment",
                           {"WAYLAND_DISPLAY", "DISPLAY", "XDG_CURRENT_DESKTOP", "XDG_SESSION_TYPE", "XDG_RUNTIME_DIR",
                            "HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME"},
                           10000)
                    .succeeded();
    }
    if (!ready) {
        m_error = "KWin did not become ready within " + QString::number(options.startTimeoutMs) +
                  " ms: " + QString::fromLocal8Bit(m_log.readAll().trimmed().right(2000));
        m_xDisplay.clear();
        return false;
    }
    return true;
}

bool KdeSession::grantFakeInput()
{
    // KWin offers its fake input only to a program whose desktop entry
    // lists it.
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/applications";
    QFile entry(folder + "/kwinfakekey.desktop");
    const QByteArray text =
        "[Desktop Entry]\nType=Application\nName=kwinfakekey\nNoDisplay=true\nExec=" + qgetenv("QUORVEL_BUILD_DIR") +
        "/kwinfakekey\nX-KDE-Wayland-Interfaces=org_kde_kwin_fake_input\n";
    return QDir().mkpath(folder) && entry.open(QIODevice::WriteOnly) && entry.write(text) == text.size();
}

bool KdeSession::pressKeys(const QStringList& chords) const
{
    const ProcessOutput pressed = runBounded(qEnvironmentVariable("QUORVEL_BUILD_DIR") + "/kwinfakekey", chords, 10000);
    if (!pressed.succeeded())
        qWarning("kwinfakekey: %s", qPrintable(pressed.describe()));
    return pressed.succeeded();
}

bool KdeSession::isRunning() const
{
    return !m_xDisplay.isEmpty() && m_kwin.isRunning();
}

void KdeSession::exportEnvironment() const
{
    qputenv("WAYLAND_DISPLAY", waylandDisplay().toLocal8Bit());
    qputenv("DISPLAY", m_xDisplay.toLocal8Bit());
    qputenv("XDG_RUNTIME_DIR", runtimeDir().toLocal8Bit());
    qputenv("XDG_CURRENT_DESKTOP", "KDE");
    qputenv("XDG_SESSION_TYPE", "wayland");
}

void KdeSession::stop()
{
    m_kwin.stop();
    m_wireplumber.stop();
    m_pipewire.stop();
    // What KWin and the bus started for the session (the script, the
    // portals, an accessibility bus).
    endProcessesOfSession(runtimeDir());
}

} // namespace quorvel::test
