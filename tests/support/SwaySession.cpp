#include "support/SwaySession.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QProcessEnvironment>
#include <QThread>

#include <functional>
#include <unistd.h>

namespace quorvel::test {
namespace {

// Polls `done` every 20 ms until it holds, the time is up or sway has ended.
bool waitUntil(const std::function<bool()>& done, const BoundedProcess& sway, const QDeadlineTimer& deadline)
{
    while (!done()) {
        if (deadline.hasExpired() || !sway.isRunning())
            return false;
        QThread::msleep(20);
    }
    return true;
}

// Finds the JSON object with "app_id" `appId` (and "name" `name`, unless
// empty) in sway's tree.
std::optional<QJsonObject> findApp(const QJsonObject& node, const QString& appId, const QString& name)
{
    if (node.value(QStringLiteral("app_id")).toString() == appId &&
        (name.isEmpty() || node.value(QStringLiteral("name")).toString() == name))
        return node;
    for (const char* children : {"nodes", "floating_nodes"})
        for (const QJsonValue& child : node.value(QLatin1String(children)).toArray())
            if (std::optional<QJsonObject> found = findApp(child.toObject(), appId, name))
                return found;
    return std::nullopt;
}

} // namespace

SwaySession::SwaySession() : SwaySession(Options()) {}

SwaySession::SwaySession(const Options& options)
{
    if (!start(options))
        stop();
}

SwaySession::~SwaySession()
{
    stop();
}

bool SwaySession::start(const Options& options)
{
    if (geteuid() == 0) {
        m_error = "sway does not run as root; register the test UNPRIVILEGED";
        return false;
    }
    if (!m_runtime.isValid()) {
        m_error = "cannot create a runtime folder for sway";
        return false;
    }
    // QTemporaryDir makes it 0700, as XDG_RUNTIME_DIR must be.
    const QString dir = m_runtime.path();
    QFile config(dir + "/sway.conf");
    QStringList lines{"xwayland enable", "output HEADLESS-1 resolution 1280x1024 position 0 0",
                      // XWayland's display, for the test to learn.
                      "exec sh -c 'echo \"$DISPLAY\" > \"$XDG_RUNTIME_DIR/display\"'"};
    lines += options.extraConfig;
    if (!config.open(QIODevice::WriteOnly) || config.write(lines.join('\n').toUtf8() + '\n') < 0) {
        m_error = "cannot write sway's configuration";
        return false;
    }
    config.close();

    QProcessEnvironment environment;
    // Commands that sway runs (exec) get these too.
    for (const char* name :
         {"PATH", "HOME", "LANG", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "ASAN_OPTIONS", "LSAN_OPTIONS", "UBSAN_OPTIONS"})
        if (qEnvironmentVariableIsSet(name))
            environment.insert(name, qEnvironmentVariable(name));
    environment.insert("XDG_RUNTIME_DIR", dir);
    environment.insert("WLR_BACKENDS", "headless");
    environment.insert("WLR_LIBINPUT_NO_DEVICES", "1");
    environment.insert("WLR_RENDERER", "pixman");
    m_process.setEnvironment(environment);
    m_process.discardStandardOutput();
    if (m_log.open())
        m_process.setStandardErrorFile(m_log.fileName());
    const QDeadlineTimer deadline(options.startTimeoutMs);
    if (!m_process.start("sway", {"-c", config.fileName()}, options.startTimeoutMs)) {
        m_error = "cannot start sway: " + m_process.errorString();
        return false;
    }

    // Its sockets, XWayland's display name, an IPC that answers, and a
    // keyboard that stays, as a desktop has one: each wtype brings a virtual
    // keyboard of its own, and were it the seat's only one, the clients
    // would take up a keyboard anew each time and could miss the first keys.
    const auto entry = [dir](const QString& pattern) {
        const QStringList names = QDir(dir).entryList({pattern}, QDir::System);
        return names.isEmpty() ? QString() : dir + "/" + names.front();
    };
    const auto started = [&] {
        m_ipcSocket = entry("sway-ipc.*.sock");
        m_waylandDisplay = QFileInfo(entry("wayland-[0-9]")).fileName();
        QFile display(dir + "/display");
        if (display.open(QIODevice::ReadOnly))
            m_xDisplay = QString::fromUtf8(display.readAll()).trimmed();
        return !m_ipcSocket.isEmpty() && !m_waylandDisplay.isEmpty() && !m_xDisplay.isEmpty() && message("get_version");
    };
    const auto hasKeyboard = [this] {
        const std::optional<QJsonDocument> seats = message("get_seats");
        return seats && (seats->array().at(0).toObject().value("capabilities").toInt() & 2) != 0;
    };
    bool ready = waitUntil(started, m_process, deadline);
    if (ready) {
        environment.insert("WAYLAND_DISPLAY", m_waylandDisplay);
        m_keyboard.setEnvironment(environment);
        m_keyboard.discardStandardOutput();
        ready = m_keyboard.start("wtype", {"-s", "3600000"}, options.startTimeoutMs) &&
                waitUntil(hasKeyboard, m_process, deadline);
    }
    if (!ready) {
        m_ipcSocket.clear();
        m_error = "sway did not become ready within " + QString::number(options.startTimeoutMs) +
                  " ms: " + QString::fromLocal8Bit(m_log.readAll().trimmed().right(2000));
        return false;
    }
    return true;
}

bool SwaySession::isRunning() const
{
    return !m_ipcSocket.isEmpty() && m_process.isRunning();
}

void SwaySession::exportEnvironment() const
{
    qputenv("WAYLAND_DISPLAY", m_waylandDisplay.toLocal8Bit());
    qputenv("XDG_RUNTIME_DIR", runtimeDir().toLocal8Bit());
    qputenv("SWAYSOCK", m_ipcSocket.toLocal8Bit());
    qunsetenv("DISPLAY");
}

SwaySession::XClients::XClients(const SwaySession& session)
{
    qputenv("DISPLAY", session.xDisplay().toLocal8Bit());
}

SwaySession::XClients::~XClients()
{
    qunsetenv("DISPLAY");
}

std::optional<QJsonDocument> SwaySession::message(const QString& type, const QString& payload) const
{
    QStringList arguments{"-s", m_ipcSocket, "-r", "-t", type};
    if (!payload.isEmpty())
        arguments << "--" << payload;
    const ProcessOutput out = runBounded("swaymsg", arguments, 10000);
    QJsonParseError error{};
    const QJsonDocument reply = QJsonDocument::fromJson(out.standardOutput, &error);
    // A refused command still answers, with exit code 2.
    if (!out.started || !out.finished || error.error != QJsonParseError::NoError)
        return std::nullopt;
    return reply;
}

bool SwaySession::command(const QString& text) const
{
    const std::optional<QJsonDocument> reply = message("command", text);
    return reply && reply->array().at(0).toObject().value("success").toBool();
}

bool SwaySession::type(const QStringList& arguments) const
{
    return runBounded("wtype", arguments, 10000).succeeded();
}

std::optional<QJsonObject> SwaySession::waitForWindow(const QString& appId, int timeoutMs, const QString& name) const
{
    const QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        if (const std::optional<QJsonDocument> tree = message("get_tree"))
            if (std::optional<QJsonObject> window = findApp(tree->object(), appId, name))
                return window;
        if (deadline.hasExpired())
            return std::nullopt;
        QThread::msleep(100);
    }
}

void SwaySession::stop()
{
    m_keyboard.stop();
    m_process.stop();
}

} // namespace quorvel::test
