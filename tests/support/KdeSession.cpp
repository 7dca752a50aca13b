#include "support/KdeSession.h"

#include "support/SessionProcesses.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
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

    // The bus has the session's variables before KWin starts: KWin 6 starts
    // the portal during its own start-up, which then offers what the
    // desktop it was started for offers, and finds a program's
    // X-KDE-Wayland-Interfaces only with Plasma's menu prefix.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_RUNTIME_DIR", m_runtime.path());
    environment.insert("XDG_CURRENT_DESKTOP", "KDE");
    environment.insert("XDG_MENU_PREFIX", "plasma-");
    environment.insert("XDG_SESSION_TYPE", "wayland");
    environment.insert("WAYLAND_DISPLAY", waylandDisplay());
    environment.remove("DISPLAY");
    environment.remove("QT_QPA_PLATFORM");
    QStringList activation;
    for (const char* name : {"WAYLAND_DISPLAY", "XDG_CURRENT_DESKTOP", "XDG_MENU_PREFIX", "XDG_SESSION_TYPE",
                             "XDG_RUNTIME_DIR", "HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME"})
        activation << QStringLiteral("%1=%2").arg(name, environment.value(name));
    if (!runBounded("dbus-update-activation-environment", activation, 10000).succeeded()) {
        m_error = "cannot give the bus the session's environment";
        return false;
    }
    environment.remove("WAYLAND_DISPLAY");
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
        ready =
            !m_xDisplay.isEmpty() && runBounded("dbus-update-activation-environment", {"DISPLAY"}, 10000).succeeded();
        if (ready)
            m_remoteDesktopVersion =
                m_bus.portalVersion("org.freedesktop.portal.RemoteDesktop", static_cast<int>(deadline.remainingTime()));
        ready = ready && m_remoteDesktopVersion > 0;
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
    qputenv("XDG_MENU_PREFIX", "plasma-");
    qputenv("XDG_SESSION_TYPE", "wayland");
}

bool KdeSession::answerWindow(const QString& caption, int timeoutMs)
{
    // KWin's window runner finds windows by their caption, and activating
    // one raises it and gives it the keyboard.
    const QString name = QStringLiteral("kde-dialog");
    bool answered = false;
    {
        const QDBusConnection bus = QDBusConnection::connectToBus(m_bus.address(), name);
        const auto dialog = [&bus, &caption]() -> QString {
            QDBusMessage match =
                QDBusMessage::createMethodCall("org.kde.KWin", "/WindowsRunner", "org.kde.krunner1", "Match");
            match.setArguments({caption});
            const QDBusMessage reply = bus.call(match, QDBus::Block, 2000);
            if (reply.arguments().isEmpty())
                return QString();
            const QDBusArgument matches = reply.arguments().constFirst().value<QDBusArgument>();
            QString id;
            matches.beginArray();
            while (!matches.atEnd()) {
                // (id, text, icon, type, relevance, properties): the first
                // two are wanted.
                QString matchId, text;
                matches.beginStructure();
                matches >> matchId >> text;
                matches.endStructure();
                if (text == caption)
                    id = matchId;
            }
            matches.endArray();
            return id;
        };
        const QDeadlineTimer deadline(timeoutMs);
        QString id;
        while (!deadline.hasExpired() && (id = dialog()).isEmpty())
            QThread::msleep(100);
        while (!id.isEmpty() && !deadline.hasExpired()) {
            QDBusMessage run =
                QDBusMessage::createMethodCall("org.kde.KWin", "/WindowsRunner", "org.kde.krunner1", "Run");
            run.setArguments({id, QString()});
            bus.call(run, QDBus::Block, 2000);
            QThread::msleep(200);
            pressKeys({"28"});
            for (int i = 0; i < 10 && !(id = dialog()).isEmpty(); ++i)
                QThread::msleep(100);
        }
        answered = id.isEmpty() && !deadline.hasExpired();
    }
    QDBusConnection::disconnectFromBus(name);
    if (!answered)
        m_error = QStringLiteral("no window \"%1\" answered within %2 ms").arg(caption).arg(timeoutMs);
    return answered;
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
