#include "platform/portal/PortalMouse.h"

#include "platform/portal/EiPointer.h"
#include "platform/portal/PortalRequest.h"
#include "platform/portal/PortalRun.h"
#include "platform/portal/StreamLayout.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusUnixFileDescriptor>
#include <QDBusVariant>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>
#include <unistd.h>

namespace platform::portal {
namespace {

// Device and source types, as the portal numbers them.
constexpr uint kPointerDevice = 2;
constexpr uint kMonitorSource = 1;
// Permission kept until the user takes it back, from this version on.
constexpr uint kPersistUntilRevoked = 2;
constexpr uint kFirstPersistingVersion = 2;
// Linux input button codes.
constexpr int kButtonLeft = 0x110;
constexpr int kButtonRight = 0x111;

const QString kWhat = QStringLiteral("the control of the pointer");

// How long the desktop may take to let a new input connection's pointer
// start, and to confirm the last events before a session closes.
constexpr int kEisStartMs = 10000;
constexpr int kEisFinishMs = 2000;

QPoint pairOf(const QVariant& value)
{
    int first = 0;
    int second = 0;
    if (value.userType() == qMetaTypeId<QDBusArgument>()) {
        const QDBusArgument argument = value.value<QDBusArgument>();
        argument.beginStructure();
        argument >> first >> second;
        argument.endStructure();
    }
    return {first, second};
}

} // namespace

PortalMouse::PortalMouse(const QDBusConnection& bus, PositionReader readPosition)
    : m_bus(bus), m_readPosition(std::move(readPosition)),
      m_desktop(qEnvironmentVariable("XDG_CURRENT_DESKTOP").toStdString())
{
}

PortalMouse::~PortalMouse()
{
    closeSession();
}

bool PortalMouse::isStarted() const
{
    const std::lock_guard<std::mutex> hold(m_lock);
    return !m_session.isEmpty();
}

PortalRoute PortalMouse::plannedRoute()
{
    return portalRoute(m_desktop, remoteDesktopVersion(), EiPointer::available());
}

std::optional<Point> PortalMouse::cursorPos()
{
    return m_readPosition ? m_readPosition() : std::nullopt;
}

Result PortalMouse::beginPlayback()
{
    if (isStarted())
        return Result::success();
    // The Start button may be pressed again while the desktop asks.
    if (m_opening)
        return Result::failure(kErrorNotReady, "the desktop is still asking for permission to control the pointer");
    m_opening = true;
    const PortalRoute route = plannedRoute();
    Result result = openSession(route);
    // A portal of version 2 whose desktop side cannot connect (an older
    // desktop behind a newer portal) still takes the Notify calls.
    if (!result && result.error == kErrorNoInputConnection) {
        std::fprintf(stderr, "quorvel: %s; clicking through the desktop portal's Notify calls instead\n",
                     result.message.c_str());
        result = openSession(notifyRoute(m_desktop, remoteDesktopVersion()));
    }
    m_opening = false;
    return result;
}

void PortalMouse::endPlayback()
{
    // Called once the run has ended: nothing uses the connection any more.
    if (m_route.eis)
        closeSession();
}

void PortalMouse::closeSession()
{
    std::unique_ptr<EiPointer> ei;
    QString session;
    {
        const std::lock_guard<std::mutex> hold(m_lock);
        ei = std::move(m_ei);
        session = std::exchange(m_session, QString());
        m_streams.clear();
    }
    // Nothing may stay pressed, and every event must have been handled by
    // the desktop, before the session ends.
    if (ei)
        fail(ei->finish(kEisFinishMs));
    ei.reset();
    if (session.isEmpty())
        return;
    m_bus.disconnect(QString(), session, kSessionInterface, QStringLiteral("Closed"), this, SLOT(sessionClosed()));
    m_bus.call(QDBusMessage::createMethodCall(kPortalService, session, kSessionInterface, QStringLiteral("Close")),
               QDBus::Block, 2000);
    m_opened.clear();
}

Result PortalMouse::openSession(const PortalRoute& route)
{
    identifyToPortal(m_bus);
    const auto failed = [](const PortalResponse& response) {
        return Result::failure(response.errorCode(), response.describe(kWhat).toStdString());
    };

    PortalResponse response =
        callPortal(m_bus, kRemoteDesktopInterface, QStringLiteral("CreateSession"), {},
                   {{QStringLiteral("session_handle_token"), QStringLiteral("quorvel_pointer")}}, kAnswerTimeoutMs);
    if (!response.ok())
        return failed(response);
    const QString session = objectPathOf(response.results.value(QStringLiteral("session_handle")));
    const QVariant sessionArgument = QVariant::fromValue(QDBusObjectPath(session));
    m_opened = session;
    m_bus.connect(QString(), session, kSessionInterface, QStringLiteral("Closed"), this, SLOT(sessionClosed()));
    const auto closeAndFail = [&](const PortalResponse& failure) {
        // A session that the portal closed itself (its Closed signal came
        // while we waited) is not closed again.
        if (!m_opened.isEmpty())
            m_bus.call(
                QDBusMessage::createMethodCall(kPortalService, session, kSessionInterface, QStringLiteral("Close")),
                QDBus::Block, 2000);
        m_bus.disconnect(QString(), session, kSessionInterface, QStringLiteral("Closed"), this, SLOT(sessionClosed()));
        m_opened.clear();
        return failed(failure);
    };

    // Only version 2 and later remember the user's answer; an older portal
    // asks each time a session starts.
    QVariantMap devices{{QStringLiteral("types"), kPointerDevice}};
    if (remoteDesktopVersion() >= kFirstPersistingVersion) {
        devices.insert(QStringLiteral("persist_mode"), kPersistUntilRevoked);
        const std::string token = m_store ? m_store->value(kRestoreTokenName) : std::string();
        if (!token.empty())
            devices.insert(QStringLiteral("restore_token"), QString::fromStdString(token));
    }
    response = callPortal(m_bus, kRemoteDesktopInterface, QStringLiteral("SelectDevices"), {sessionArgument}, devices,
                          kAnswerTimeoutMs);
    if (!response.ok())
        return closeAndFail(response);

    // Absolute motion is given relative to a screen-cast stream, so every
    // monitor is asked for as one; KDE is asked for its whole workspace as
    // one stream instead (see StreamLayout). Through libei only where the
    // desktop needs them (see PortalRoute).
    if (route.screenCast) {
        response =
            callPortal(m_bus, kScreenCastInterface, QStringLiteral("SelectSources"), {sessionArgument},
                       {{QStringLiteral("types"), kMonitorSource}, {QStringLiteral("multiple"), !route.wholeWorkspace}},
                       kAnswerTimeoutMs);
        if (!response.ok())
            return closeAndFail(response);
    }

    response = callPortal(m_bus, kRemoteDesktopInterface, QStringLiteral("Start"), {sessionArgument, QString()}, {},
                          kAnswerTimeoutMs);
    if (!response.ok())
        return closeAndFail(response);
    if (!(response.results.value(QStringLiteral("devices")).toUInt() & kPointerDevice)) {
        PortalResponse refused;
        refused.outcome = PortalResponse::Cancelled;
        return closeAndFail(refused);
    }
    if (!route.eis) {
        readStreams(response.results.value(QStringLiteral("streams")));
        if (const std::lock_guard<std::mutex> hold(m_lock); m_streams.empty()) {
            PortalResponse noScreen;
            noScreen.error = QStringLiteral("no screen was shared");
            return closeAndFail(noScreen);
        }
    }
    const QString newToken = response.results.value(QStringLiteral("restore_token")).toString();
    if (m_store && !newToken.isEmpty())
        m_store->setValue(kRestoreTokenName, newToken.toStdString());
    if (m_opened.isEmpty()) {
        PortalResponse ended;
        ended.outcome = PortalResponse::Ended;
        return closeAndFail(ended);
    }
    {
        const std::lock_guard<std::mutex> hold(m_lock);
        m_session = session;
        m_route = route;
        m_failure = Result::success();
    }
    if (route.eis) {
        if (Result connected = connectToEis(); !connected) {
            closeSession();
            return connected;
        }
    }
    return Result::success();
}

Result PortalMouse::connectToEis()
{
    QDBusMessage call = QDBusMessage::createMethodCall(kPortalService, kPortalPath, kRemoteDesktopInterface,
                                                       QStringLiteral("ConnectToEIS"));
    call.setArguments({QVariant::fromValue(QDBusObjectPath(m_session)), QVariantMap()});
    const QDBusMessage reply = m_bus.call(call, QDBus::Block, kEisStartMs);
    const QDBusUnixFileDescriptor socket = reply.arguments().isEmpty()
                                               ? QDBusUnixFileDescriptor()
                                               : reply.arguments().constFirst().value<QDBusUnixFileDescriptor>();
    if (reply.type() != QDBusMessage::ReplyMessage || !socket.isValid())
        return Result::failure(
            kErrorNoInputConnection,
            "the desktop gave no input connection (ConnectToEIS): " +
                (reply.errorMessage().isEmpty() ? std::string("no socket") : reply.errorMessage().toStdString()));
    std::string error;
    std::unique_ptr<EiPointer> ei = EiPointer::connect(::dup(socket.fileDescriptor()), kEisStartMs, error);
    if (!ei)
        return Result::failure(kErrorNotSupported, error);
    const std::lock_guard<std::mutex> hold(m_lock);
    m_ei = std::move(ei);
    return Result::success();
}

void PortalMouse::readStreams(const QVariant& streams)
{
    std::vector<Stream> read;
    const auto keep = [this, &read] {
        const std::lock_guard<std::mutex> hold(m_lock);
        m_streams = std::move(read);
    };
    if (streams.userType() != qMetaTypeId<QDBusArgument>())
        return keep();
    std::vector<StreamFacts> facts;
    const QDBusArgument argument = streams.value<QDBusArgument>();
    argument.beginArray();
    while (!argument.atEnd()) {
        StreamFacts stream;
        QVariantMap properties;
        argument.beginStructure();
        argument >> stream.node >> properties;
        argument.endStructure();
        const QPoint size = pairOf(properties.value(QStringLiteral("size")));
        stream.width = size.x();
        stream.height = size.y();
        if (properties.contains(QStringLiteral("position"))) {
            const QPoint position = pairOf(properties.value(QStringLiteral("position")));
            stream.position = std::pair(position.x(), position.y());
        }
        facts.push_back(stream);
    }
    argument.endArray();
    for (const StreamArea& area : streamAreas(facts))
        read.push_back({area.node, QRect(area.x, area.y, area.width, area.height)});
    keep();
}

void PortalMouse::setCursorPos(int x, int y)
{
    std::unique_lock<std::mutex> hold(m_lock);
    if (m_session.isEmpty())
        return;
    if (m_ei) {
        const Result moved = m_ei->moveTo(x, y);
        hold.unlock();
        fail(moved);
        return;
    }
    // The monitor that holds the point, else the nearest one; positions
    // off every monitor are clamped to its edge, as on X11.
    const auto distance = [&](const Stream& s) {
        const int dx = std::max({s.area.left() - x, 0, x - s.area.right()});
        const int dy = std::max({s.area.top() - y, 0, y - s.area.bottom()});
        return static_cast<long long>(dx) * dx + static_cast<long long>(dy) * dy;
    };
    const Stream& stream = *std::min_element(m_streams.begin(), m_streams.end(), [&](const Stream& a, const Stream& b) {
        return distance(a) < distance(b);
    });
    const QRect& area = stream.area;
    const double localX = std::clamp(x, area.left(), std::max(area.left(), area.right())) - area.left();
    const double localY = std::clamp(y, area.top(), std::max(area.top(), area.bottom())) - area.top();
    m_moved = true;
    const uint node = stream.node;
    hold.unlock();
    notify(QStringLiteral("NotifyPointerMotionAbsolute"), {node, localX, localY});
}

void PortalMouse::button(Button button, ButtonAction action)
{
    sendButton(button, action);
}

bool PortalMouse::sendButton(Button button, ButtonAction action)
{
    const int code = button == Button::Left ? kButtonLeft : kButtonRight;
    PortalRoute route;
    {
        std::unique_lock<std::mutex> hold(m_lock);
        if (m_session.isEmpty())
            return true;
        if (m_ei) {
            // After a failure nothing more is pressed: a button whose motion
            // was refused would land wherever the pointer is.
            if (action == ButtonAction::Down && !m_failure)
                return true;
            const Result sent = m_ei->button(code, action == ButtonAction::Down);
            hold.unlock();
            fail(sent);
            return true;
        }
        route = m_route;
    }
    // Where the desktop loses a button that follows a motion or its press
    // too soon (see PortalRoute), it waits. These waits belong to the click:
    // the row's delay still counts from their end. A stop during them sends
    // no press, and the release at once.
    const bool moved = std::exchange(m_moved, false);
    if (moved && route.motionSettleMs > 0 && !settle(route.motionSettleMs) && action == ButtonAction::Down)
        return false;
    if (action == ButtonAction::Up && m_pressSent && !moved && route.pressHoldMs > 0)
        settle(route.pressHoldMs);
    m_pressSent = action == ButtonAction::Down;
    notify(QStringLiteral("NotifyPointerButton"), {code, action == ButtonAction::Down ? 1u : 0u});
    return true;
}

void PortalMouse::pause(std::uint32_t ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

bool PortalMouse::settle(int ms)
{
    RunWait* wait = nullptr;
    {
        const std::lock_guard<std::mutex> hold(m_lock);
        wait = m_runWait;
    }
    if (wait)
        return wait->sleep(std::chrono::milliseconds(ms));
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    return true;
}

std::unique_ptr<MouseRun> PortalMouse::openRun(RunWait& wait)
{
    return std::make_unique<PortalRun>(*this, wait);
}

void PortalMouse::beginRun(RunWait& wait)
{
    const std::lock_guard<std::mutex> hold(m_lock);
    m_runWait = &wait;
    m_moved = false;
    m_pressSent = false;
}

void PortalMouse::endRun()
{
    Result finished;
    {
        const std::lock_guard<std::mutex> hold(m_lock);
        m_runWait = nullptr;
        // Through libei: nothing left pressed, and every event handled by
        // the desktop before the run counts as ended.
        if (m_ei)
            finished = m_ei->finish(kEisFinishMs);
    }
    fail(finished);
}

Result PortalMouse::status() const
{
    const std::lock_guard<std::mutex> hold(m_lock);
    if (!m_failure)
        return m_failure;
    if (m_session.isEmpty())
        return Result::failure(kErrorCancelled, "the desktop ended the control of the pointer");
    return Result::success();
}

void PortalMouse::fail(const Result& result)
{
    if (result)
        return;
    const std::lock_guard<std::mutex> hold(m_lock);
    if (m_failure) {
        m_failure = result;
        std::fprintf(stderr, "quorvel: the clicks stopped: %s\n", result.message.c_str());
    }
}

void PortalMouse::notify(const QString& method, const QVariantList& arguments)
{
    QString session;
    {
        const std::lock_guard<std::mutex> hold(m_lock);
        session = m_session;
    }
    if (session.isEmpty())
        return;
    QDBusMessage call = QDBusMessage::createMethodCall(kPortalService, kPortalPath, kRemoteDesktopInterface, method);
    call.setArguments(QVariantList{QVariant::fromValue(QDBusObjectPath(session)), QVariantMap()} + arguments);
    call.setAutoStartService(false);
    // The portal handles each call on a thread of its own, so calls sent
    // without waiting overtake one another there: a button before the
    // motion to its place, a release after the session's Close (the button
    // then stays held down). The portal answers once it has passed the event
    // on to the desktop's side of the portal, so each event waits for that
    // answer: the desktop then gets them in order, and Close (sent after the
    // last answer) comes after the last event. A round trip costs a fraction
    // of a millisecond.
    constexpr int kAnswerMs = 1000;
    m_bus.call(call, QDBus::Block, kAnswerMs);
}

void PortalMouse::sessionClosed()
{
    // The user or the desktop ended the session: the next playback asks again.
    m_bus.disconnect(QString(), m_opened, kSessionInterface, QStringLiteral("Closed"), this, SLOT(sessionClosed()));
    m_opened.clear();
    std::unique_ptr<EiPointer> ei;
    {
        const std::lock_guard<std::mutex> hold(m_lock);
        m_session.clear();
        m_streams.clear();
        ei = std::move(m_ei);
    }
}

uint PortalMouse::remoteDesktopVersion()
{
    identifyToPortal(m_bus);
    if (m_version == 0)
        m_version = readRemoteDesktopVersion();
    return m_version;
}

uint PortalMouse::readRemoteDesktopVersion() const
{
    QDBusMessage get = QDBusMessage::createMethodCall(
        kPortalService, kPortalPath, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get.setArguments({kRemoteDesktopInterface, QStringLiteral("version")});
    const QDBusMessage reply = m_bus.call(get, QDBus::Block, 10000);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return 1; // a portal that does not say is taken as the first version
    return reply.arguments().constFirst().value<QDBusVariant>().variant().toUInt();
}

} // namespace platform::portal
