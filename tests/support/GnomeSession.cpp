#include "support/GnomeSession.h"

#include "support/SessionProcesses.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QThread>

#include <csignal>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvel::test {
namespace {

constexpr int kStartTimeoutMs = 20000;

bool waitUntil(const std::function<bool()>& done, const BoundedProcess& mutter, const QDeadlineTimer& deadline)
{
    while (!done()) {
        if (deadline.hasExpired() || !mutter.isRunning())
            return false;
        QThread::msleep(50);
    }
    return true;
}

} // namespace

QString GnomeSession::missingPrograms()
{
    QStringList missing;
    for (const char* program : {"mutter", "pipewire", "wireplumber", "Xwayland", "gst-launch-1.0", "dbus-daemon",
                                "dbus-update-activation-environment"})
        if (QStandardPaths::findExecutable(program).isEmpty())
            missing << program;
    for (const char* program : {"/usr/libexec/xdg-desktop-portal", "/usr/libexec/xdg-desktop-portal-gnome"})
        if (!QFile::exists(program))
            missing << program;
    if (!runBounded("gst-inspect-1.0", {"pipewiresrc"}, 10000).succeeded())
        missing << "GStreamer's pipewiresrc (gstreamer1.0-pipewire)";
    return missing.isEmpty() ? QString() : "not installed: " + missing.join(", ");
}

GnomeSession::GnomeSession(const Options& options)
{
    if (!start(options))
        stop();
}

GnomeSession::~GnomeSession()
{
    stop();
}

void GnomeSession::stop()
{
    m_mutter.stop();
    m_wireplumber.stop();
    m_pipewire.stop();
    // The portals were started by the bus, and xdg-desktop-portal outlives it.
    endProcessesOfSession(m_runtime.path());
}

bool GnomeSession::start(const Options& options)
{
    if (geteuid() == 0) {
        m_error = "Xwayland refuses root's clients; register the test UNPRIVILEGED";
        return false;
    }
    // Xwayland makes its socket there, and on a fresh machine nobody may
    // have made the folder yet.
    if (::mkdir("/tmp/.X11-unix", 01777) == 0)
        ::chmod("/tmp/.X11-unix", 01777); // as a system makes it, whatever the umask
    if (!m_runtime.isValid() || !m_log.open()) {
        m_error = "no temporary folder for the session";
        return false;
    }
    if (!m_bus.start() || (options.shell && !m_systemBus.start(false))) {
        m_error = "no session bus: " + m_bus.errorString() + m_systemBus.errorString();
        return false;
    }
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_RUNTIME_DIR", m_runtime.path());
    environment.insert("XDG_CURRENT_DESKTOP", "GNOME");
    environment.insert("XDG_SESSION_TYPE", "wayland");
    environment.remove("DISPLAY");
    environment.remove("WAYLAND_DISPLAY");
    if (options.shell)
        environment.insert("DBUS_SYSTEM_BUS_ADDRESS", m_systemBus.address());
    for (BoundedProcess* p : {&m_pipewire, &m_wireplumber, &m_mutter}) {
        p->setEnvironment(environment);
        p->discardStandardOutput();
    }
    m_pipewire.setStandardErrorFile(QProcess::nullDevice());
    m_wireplumber.setStandardErrorFile(QProcess::nullDevice());
    m_mutter.setStandardErrorFile(m_log.fileName());
    const QDeadlineTimer deadline(kStartTimeoutMs);
    const QString socket = m_runtime.path() + "/pipewire-0";
    if (!m_pipewire.start("pipewire", {}) || !waitUntil([&] { return QFile::exists(socket); }, m_pipewire, deadline) ||
        !m_wireplumber.start("wireplumber", {}) ||
        !m_mutter.start(options.shell ? "gnome-shell" : "mutter",
                        {"--headless", "--wayland", "--virtual-monitor", "1280x1024"})) {
        m_error = "cannot start the stack: " + log();
        return false;
    }

    // Mutter names Xwayland's display in its log and keeps its cookie in
    // the runtime folder.
    const QRegularExpression displayLine(QStringLiteral("Using public X11 display (:\\d+)"));
    const auto xwaylandUp = [&] {
        const QRegularExpressionMatch match = displayLine.match(log());
        const QStringList cookies =
            QDir(m_runtime.path()).entryList({".mutter-Xwaylandauth.*"}, QDir::Hidden | QDir::Files);
        if (!match.hasMatch() || cookies.isEmpty() || !QFile::exists(m_runtime.path() + "/wayland-0"))
            return false;
        m_xDisplay = match.captured(1);
        m_xAuthority = m_runtime.path() + "/" + cookies.front();
        return true;
    };
    if (!waitUntil(xwaylandUp, m_mutter, deadline)) {
        m_error = "mutter did not start Xwayland: " + log();
        return false;
    }

    // The portals, started by the bus, see the session as a desktop's
    // programs would.
    const ProcessOutput exported =
        runBounded("dbus-update-activation-environment",
                   {"WAYLAND_DISPLAY=wayland-0", "DISPLAY=" + m_xDisplay, "XAUTHORITY=" + m_xAuthority,
                    "XDG_CURRENT_DESKTOP=GNOME", "XDG_SESSION_TYPE=wayland", "XDG_RUNTIME_DIR=" + m_runtime.path(),
                    "HOME=" + QDir::homePath()},
                   10000);
    if (!exported.succeeded()) {
        m_error = exported.describe();
        return false;
    }
    m_remoteDesktopVersion =
        m_bus.portalVersion("org.freedesktop.portal.RemoteDesktop", static_cast<int>(deadline.remainingTime()));
    if (m_remoteDesktopVersion == 0) {
        m_error = m_bus.errorString();
        return false;
    }
    return true;
}

void GnomeSession::exportEnvironment() const
{
    qputenv("WAYLAND_DISPLAY", "wayland-0");
    qputenv("XDG_RUNTIME_DIR", m_runtime.path().toLocal8Bit());
    qputenv("XDG_CURRENT_DESKTOP", "GNOME");
    qputenv("XDG_SESSION_TYPE", "wayland");
    qunsetenv("DISPLAY");
}

GnomeSession::XClients::XClients(const GnomeSession& session)
{
    qputenv("DISPLAY", session.xDisplay().toLocal8Bit());
    qputenv("XAUTHORITY", session.xAuthority().toLocal8Bit());
}

GnomeSession::XClients::~XClients()
{
    qunsetenv("DISPLAY");
    qunsetenv("XAUTHORITY");
}

QString GnomeSession::log() const
{
    QFile file(m_log.fileName());
    return file.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(file.readAll().right(3000)) : QString();
}

} // namespace quorvel::test
