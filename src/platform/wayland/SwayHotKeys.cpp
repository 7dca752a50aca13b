#include "platform/wayland/SwayHotKeys.h"

#include "platform/VirtualKeyName.h"
#include "platform/wayland/SwayCombination.h"
#include "platform/wayland/SwayIpc.h"
#include "platform/x11/ErrorCodes.h"

#include <QAbstractEventDispatcher>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSocketNotifier>

#include <unistd.h>

namespace platform::wayland {
namespace {

QJsonDocument parse(const std::string& payload)
{
    return QJsonDocument::fromJson(QByteArray::fromStdString(payload));
}

} // namespace

SwayHotKeys::SwayHotKeys(std::string socketPath, int replyTimeoutMs)
    : m_socketPath(std::move(socketPath)), m_replyTimeoutMs(replyTimeoutMs),
      m_commands(std::make_unique<SwayIpc>(m_socketPath))
{
    m_frameDeadline.setSingleShot(true);
    QObject::connect(&m_frameDeadline, &QTimer::timeout, &m_frameDeadline, [this] { checkFrameDeadline(); });
}

SwayHotKeys::~SwayHotKeys()
{
    m_notifier.reset();
    // One at a time: a late reply read meanwhile may record one more.
    while (!m_registrations.empty()) {
        const std::string combination = m_registrations.begin()->second.combination;
        m_registrations.erase(m_registrations.begin());
        runCommand("unbindsym " + combination);
    }
    unbindStrays();
}

std::string SwayHotKeys::bindingCommand(int id) const
{
    return "nop quorvel-hotkey-" + std::to_string(getpid()) + "-" + std::to_string(id);
}

Result SwayHotKeys::registerHotKey(int id, std::uint32_t modifiers, std::uint32_t virtualKey)
{
    const std::string combination = swayCombination(modifiers, virtualKey);
    if (combination.empty())
        return Result::failure(x11::kErrorInvalidParameter,
                               "the key " + virtualKeyName(virtualKey) + " has no name that sway knows");
    for (const auto& [otherId, other] : m_registrations) {
        if (other.combination != combination)
            continue;
        if (otherId == id)
            return Result::success(); // bound already under this identifier
        // sway would quietly move the binding over to the new command.
        return Result::failure(kErrorHotKeyAlreadyRegistered,
                               combination + " is already registered as hot key " + std::to_string(otherId));
    }
    // Subscribed before binding, so that no press goes unseen.
    if (!subscribe())
        return Result::failure(x11::kErrorNotSupported, "sway's IPC at \"" + m_socketPath + "\" does not answer");
    const Registration registration{modifiers, virtualKey, combination};
    const Result bound =
        runCommand("bindsym --no-repeat " + combination + " " + bindingCommand(id),
                   [this, id, registration](const std::string& reply) { settleLateBinding(id, registration, reply); });
    if (!bound) {
        unbindStrays();
        return bound;
    }
    const auto previous = m_registrations.find(id);
    if (previous != m_registrations.end() && previous->second.combination != combination)
        runCommand("unbindsym " + previous->second.combination);
    m_registrations[id] = registration;
    unbindStrays();
    return Result::success();
}

Result SwayHotKeys::unregisterHotKey(int id)
{
    const auto found = m_registrations.find(id);
    if (found == m_registrations.end())
        return Result::failure(x11::kErrorHotKeyNotRegistered, "no hot key is registered as " + std::to_string(id));
    // A binding that is gone already (sway reloaded its configuration) is
    // just as well.
    const std::string combination = found->second.combination;
    m_registrations.erase(found);
    runCommand("unbindsym " + combination);
    unbindStrays();
    return Result::success();
}

void SwayHotKeys::settleLateBinding(int id, const Registration& registration, const std::string& reply)
{
    if (!parse(reply).array().at(0).toObject().value(QStringLiteral("success")).toBool())
        return;
    // Sway ran the commands in order: a later binding of the same
    // combination of ours has replaced this one already.
    for (const auto& entry : m_registrations)
        if (entry.second.combination == registration.combination)
            return;
    // Recorded, so that it is removed with the others; or, when the hot key
    // has another combination by now, removed at once.
    if (m_registrations.count(id) == 0)
        m_registrations[id] = registration;
    else
        m_strays.push_back(registration.combination);
}

void SwayHotKeys::unbindStrays()
{
    while (!m_strays.empty()) {
        const std::string combination = m_strays.back();
        m_strays.pop_back();
        runCommand("unbindsym " + combination);
    }
}

bool SwayHotKeys::subscribe()
{
    if (m_events && m_events->isConnected())
        return true;
    m_notifier.reset();
    m_events = std::make_unique<SwayIpc>(m_socketPath);
    const std::optional<std::string> reply = m_events->request(SwayIpc::kSubscribe, "[\"binding\"]", m_replyTimeoutMs);
    if (!reply || !parse(*reply).object().value(QStringLiteral("success")).toBool()) {
        m_events.reset();
        return false;
    }
    if (QAbstractEventDispatcher::instance()) {
        m_notifier = std::make_unique<QSocketNotifier>(m_events->fd(), QSocketNotifier::Read);
        QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(), [this] { readEvents(); });
    }
    return true;
}

Result SwayHotKeys::runCommand(const std::string& command, SwayIpc::LateHandler late)
{
    if (!m_commands->isConnected())
        m_commands = std::make_unique<SwayIpc>(m_socketPath);
    const std::optional<std::string> reply =
        m_commands->request(SwayIpc::kRunCommand, command, m_replyTimeoutMs, std::move(late));
    if (!reply)
        return Result::failure(x11::kErrorNotSupported, "sway's IPC at \"" + m_socketPath + "\" does not answer");
    // One result per command: [{"success": true}] or
    // [{"success": false, "error": "..."}].
    const QJsonObject result = parse(*reply).array().at(0).toObject();
    if (result.value(QStringLiteral("success")).toBool())
        return Result::success();
    return Result::failure(x11::kErrorInvalidParameter,
                           "sway refused \"" + command +
                               "\": " + result.value(QStringLiteral("error")).toString().toStdString());
}

void SwayHotKeys::checkFrameDeadline()
{
    if (!m_events || !m_events->midMessage())
        return;
    // The rest of an event never came: what follows on that connection
    // cannot be framed. The bindings stay in sway; a new subscription
    // hears them again.
    m_notifier.reset();
    m_events.reset();
    subscribe();
}

void SwayHotKeys::readEvents()
{
    const std::vector<SwayIpc::Message> events = m_events->takeEvents();
    if (!m_events->isConnected())
        m_notifier->setEnabled(false); // sway has gone; the next registration connects again
    else if (!m_events->midMessage())
        m_frameDeadline.stop();
    else if (!m_frameDeadline.isActive())
        m_frameDeadline.start(m_replyTimeoutMs);
    for (const SwayIpc::Message& event : events) {
        if (event.type != SwayIpc::kBindingEvent)
            continue;
        const QString command = parse(event.payload)
                                    .object()
                                    .value(QStringLiteral("binding"))
                                    .toObject()
                                    .value(QStringLiteral("command"))
                                    .toString();
        for (const auto& [id, registration] : m_registrations) {
            if (command.toStdString() != bindingCommand(id))
                continue;
            // Copied: the handler may register or unregister hot keys.
            const int pressedId = id;
            const Registration pressed = registration;
            if (m_handler)
                m_handler(pressedId, pressed.modifiers, pressed.virtualKey);
            break;
        }
    }
}

} // namespace platform::wayland
