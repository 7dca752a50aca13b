#include "support/MutterRemote.h"

#include "support/BoundedProcess.h"
#include "support/GnomeSession.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

namespace quorvel::test {
namespace {

const QString kService = QStringLiteral("org.gnome.Mutter.%1");
constexpr int kButtonLeft = 272; // BTN_LEFT

// Adwaita's accent, #3584e4, and its lighter shade under the pointer.
bool isShareBlue(QRgb c)
{
    return qRed(c) < 110 && qGreen(c) > 110 && qGreen(c) < 170 && qBlue(c) > 200;
}

// The pale accent of a button that cannot be pressed yet (GNOME 48's Share,
// until remote interaction is switched on), about (151, 191, 239).
bool isPaleBlue(QRgb c)
{
    return qRed(c) > 135 && qRed(c) < 170 && qGreen(c) > 175 && qGreen(c) < 210 && qBlue(c) > 225;
}

} // namespace

std::optional<QRect> findBlueButton(const QImage& frame, bool orPale)
{
    // The topmost blue of a button's size, in the dialog's header bar.
    QRect button;
    for (int y = 0; y < frame.height() && (button.isEmpty() || y < button.top() + 60); ++y)
        for (int x = 0; x < frame.width(); ++x)
            if (isShareBlue(frame.pixel(x, y)) || (orPale && isPaleBlue(frame.pixel(x, y))))
                button |= QRect(x, y, 1, 1);
    if (button.width() < 40 || button.height() < 20)
        return std::nullopt;
    return button;
}

std::optional<ShareDialog> findShareDialog(const QImage& frame)
{
    ShareDialog d;
    const std::optional<QRect> share = findBlueButton(frame, true);
    if (!share)
        return std::nullopt;
    d.share = *share;
    // The switch lies under it near the dialog's right edge, past the list
    // of monitors on GNOME 43 (about 200 px down), above it on GNOME 48
    // (105-130 px down): its trough is light grey (off) or blue (on).
    // The edges of the list of monitors and of the switch's card reach
    // further left than the search; the switch's rows do not.
    QRect grey;
    QRect blue;
    const int left = std::max(0, d.share.left() - 60);
    for (int y = d.share.bottom() + 60; y < std::min(frame.height(), d.share.bottom() + 320); ++y) {
        QRect greyRow;
        QRect blueRow;
        for (int x = left; x <= d.share.right(); ++x) {
            const QRgb c = frame.pixel(x, y);
            const int lightest = std::max({qRed(c), qGreen(c), qBlue(c)});
            const int darkest = std::min({qRed(c), qGreen(c), qBlue(c)});
            if (isShareBlue(c))
                blueRow |= QRect(x, y, 1, 1);
            else if (lightest - darkest <= 2 && std::abs(darkest - 224) <= 3)
                greyRow |= QRect(x, y, 1, 1);
        }
        const auto isSwitchRow = [&](const QRect& row) { return row.width() >= 10 && row.left() > left; };
        if (isSwitchRow(greyRow))
            grey |= greyRow;
        if (isSwitchRow(blueRow))
            blue |= blueRow;
    }
    d.switchOn = blue.width() >= 30;
    d.remoteSwitch = d.switchOn ? blue : grey;
    if (d.remoteSwitch.width() < 30 || d.remoteSwitch.height() < 15 || d.remoteSwitch.height() > 40)
        return std::nullopt;
    return d;
}

MutterRemote::MutterRemote(const GnomeSession& session)
    : m_session(session), m_bus(QDBusConnection::connectToBus(session.busAddress(), QStringLiteral("mutter-remote")))
{
}

MutterRemote::~MutterRemote()
{
    // The screen cast ends with its remote desktop session.
    if (!m_remoteDesktop.isEmpty())
        call(m_remoteDesktop, "org.gnome.Mutter.RemoteDesktop.Session", "Stop", {});
    QDBusConnection::disconnectFromBus(QStringLiteral("mutter-remote"));
}

bool MutterRemote::call(const QString& path, const QString& interface, const QString& method,
                        const QVariantList& arguments, QVariant* result)
{
    const QString service = interface.section('.', 0, 3);
    QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, method);
    message.setArguments(arguments);
    const QDBusMessage reply = m_bus.call(message, QDBus::Block, 10000);
    if (reply.type() != QDBusMessage::ReplyMessage) {
        m_error = method + ": " + reply.errorMessage();
        return false;
    }
    if (result && !reply.arguments().isEmpty())
        *result = reply.arguments().constFirst();
    return true;
}

bool MutterRemote::start()
{
    // A screen cast of the remote desktop session's own, so that the pointer
    // is placed in its stream rather than pushed from a corner (GNOME
    // Shell's top left corner opens the overview).
    QVariant path;
    if (!call("/org/gnome/Mutter/RemoteDesktop", "org.gnome.Mutter.RemoteDesktop", "CreateSession", {}, &path))
        return false;
    m_remoteDesktop = path.value<QDBusObjectPath>().path();
    QDBusMessage get = QDBusMessage::createMethodCall(kService.arg("RemoteDesktop"), m_remoteDesktop,
                                                      "org.freedesktop.DBus.Properties", "Get");
    get.setArguments({"org.gnome.Mutter.RemoteDesktop.Session", "SessionId"});
    const QDBusMessage id = m_bus.call(get, QDBus::Block, 10000);
    if (id.arguments().isEmpty()) {
        m_error = "no remote desktop session id: " + id.errorMessage();
        return false;
    }
    const QVariantMap linked{
        {"remote-desktop-session-id", id.arguments().constFirst().value<QDBusVariant>().variant()}};
    if (!call("/org/gnome/Mutter/ScreenCast", "org.gnome.Mutter.ScreenCast", "CreateSession", {linked}, &path))
        return false;
    m_screenCast = path.value<QDBusObjectPath>().path();
    // The primary monitor (an empty connector name).
    if (!call(m_screenCast, "org.gnome.Mutter.ScreenCast.Session", "RecordMonitor", {QString(), QVariantMap()}, &path))
        return false;
    m_stream = path.value<QDBusObjectPath>().path();
    m_bus.connect(kService.arg("ScreenCast"), m_stream, "org.gnome.Mutter.ScreenCast.Stream", "PipeWireStreamAdded",
                  this, SLOT(streamAdded(uint)));
    if (!call(m_remoteDesktop, "org.gnome.Mutter.RemoteDesktop.Session", "Start", {}))
        return false;
    if (!QTest::qWaitFor([this] { return m_node != 0; }, 10000)) {
        m_error = "mutter gave no PipeWire stream of the screen";
        return false;
    }
    // Mutter drops the first button of a new remote desktop session (GNOME
    // 48), so a click where nothing is goes first.
    return click(QPoint(640, 1023));
}

void MutterRemote::streamAdded(uint node)
{
    m_node = node;
}

QString MutterRemote::keepLastFrame() const
{
    // Left for whoever reads the failure: what the screen showed last.
    const QString path =
        QStringLiteral("%1/quorvel-screen-%2.png").arg(QDir::tempPath()).arg(QCoreApplication::applicationPid());
    return m_lastFrame.save(path) ? QStringLiteral(" (the screen last showed %1)").arg(path) : QString();
}

QString MutterRemote::keepScreen()
{
    for (int grab = 0; grab < 3; ++grab)
        if (frame(5000))
            break;
    return keepLastFrame();
}

std::optional<QImage> MutterRemote::frame(int timeoutMs)
{
    // Now and then (GNOME 48, PipeWire 1.4) every buffer of a new
    // pipewiresrc connection comes without memory: it says so on standard
    // error for each one and never makes a frame. Such a grab is given up
    // at its first complaint; the next grab is a new connection.
    QTemporaryDir dir;
    const QString file = dir.path() + "/frame.png";
    BoundedProcess grab;
    const QStringList arguments{"XDG_RUNTIME_DIR=" + m_session.runtimeDir(),
                                "gst-launch-1.0",
                                "-q",
                                "pipewiresrc",
                                "path=" + QString::number(m_node),
                                "num-buffers=1",
                                "!",
                                "videoconvert",
                                "!",
                                "pngenc",
                                "!",
                                "filesink",
                                "location=" + file};
    if (!grab.start("env", arguments)) {
        m_error = "no frame: " + grab.errorString();
        return std::nullopt;
    }
    const QDeadlineTimer deadline(timeoutMs);
    QByteArray errors;
    bool ended = false;
    while (!(ended = grab.waitForExit(100)) && !deadline.hasExpired() && !errors.contains("CRITICAL"))
        errors += grab.readAllStandardError();
    errors += grab.readAllStandardError();
    QImage image(file);
    if (!ended || grab.exitCode() != 0 || image.isNull()) {
        m_error = QStringLiteral("no frame (pipewiresrc, %1): %2")
                      .arg(ended ? QStringLiteral("exit %1").arg(grab.exitCode()) : QStringLiteral("given up"),
                           QString::fromLocal8Bit(errors.left(300)));
        return std::nullopt;
    }
    m_lastFrame = image;
    return image;
}

bool MutterRemote::moveTo(const QPoint& p)
{
    return call(m_remoteDesktop, "org.gnome.Mutter.RemoteDesktop.Session", "NotifyPointerMotionAbsolute",
                {m_stream, double(p.x()), double(p.y())});
}

bool MutterRemote::click(const QPoint& p)
{
    const QString session = "org.gnome.Mutter.RemoteDesktop.Session";
    return moveTo(p) && (QTest::qWait(150), true) &&
           call(m_remoteDesktop, session, "NotifyPointerButton", {kButtonLeft, true}) &&
           call(m_remoteDesktop, session, "NotifyPointerButton", {kButtonLeft, false});
}

bool MutterRemote::pressKeys(const QList<uint>& keys)
{
    const QString session = "org.gnome.Mutter.RemoteDesktop.Session";
    for (uint key : keys)
        if (!call(m_remoteDesktop, session, "NotifyKeyboardKeycode", {key, true}))
            return false;
    for (auto key = keys.rbegin(); key != keys.rend(); ++key)
        if (!call(m_remoteDesktop, session, "NotifyKeyboardKeycode", {*key, false}))
            return false;
    return true;
}

bool MutterRemote::answerDialog(const std::function<std::optional<Answer>(const QImage&)>& read, int timeoutMs,
                               int goneForMs, int* lastClicks)
{
    // Acts only on what two frames in a row show alike, so not on a dialog
    // that is still appearing or a switch that is still moving, and is done
    // once the dialog has stayed away for `goneForMs` after its last click;
    // a dialog seen again is answered again.
    const QDeadlineTimer deadline(timeoutMs);
    std::optional<Answer> before;
    bool answered = false;
    QElapsedTimer gone;
    QString grabError;
    while (!deadline.hasExpired()) {
        const std::optional<QImage> image = frame(std::clamp<int>(deadline.remainingTime(), 1, 15000));
        if (!image) {
            grabError = m_error;
            qWarning("%s; a new grab follows", qPrintable(m_error));
            before.reset();
            continue;
        }
        const std::optional<Answer> seen = read(*image);
        if (answered && !seen) {
            if (!gone.isValid())
                gone.start();
            if (gone.elapsed() >= goneForMs)
                return true;
        }
        if (seen && answered) {
            qWarning("a dialog is up again after the last click");
            answered = false;
        }
        if (seen)
            gone.invalidate();
        const bool steady = seen && before && seen->looks == before->looks;
        before = seen;
        if (!steady)
            continue;
        if (!click(seen->click))
            return false;
        answered = seen->last;
        if (answered && lastClicks)
            ++*lastClicks;
        before.reset();
    }
    m_error = keepLastFrame() + (grabError.isEmpty() ? QString() : "; the last failed grab: " + grabError);
    return false;
}

bool MutterRemote::answerShareDialog(int timeoutMs)
{
    // The switch first, then Share. The dialog is watched for a while after
    // Share: now and then GNOME 48's is up again after it, its switch off.
    const bool answered = answerDialog(
        [](const QImage& image) -> std::optional<Answer> {
            const std::optional<ShareDialog> d = findShareDialog(image);
            if (!d)
                return std::nullopt;
            return Answer{{d->share, d->remoteSwitch, QRect(0, 0, d->switchOn, 1)},
                          d->switchOn ? d->share.center() : d->remoteSwitch.center(),
                          d->switchOn};
        },
        timeoutMs, 1500);
    if (!answered)
        m_error = QStringLiteral("no \"Remote desktop\" dialog with remote interaction switched on within %1 ms")
                      .arg(timeoutMs) +
                  m_error;
    return answered;
}

int MutterRemote::answerShortcutsDialogs(int timeoutMs)
{
    int presses = 0;
    const bool answered = answerDialog(
        [](const QImage& image) -> std::optional<Answer> {
            const std::optional<QRect> add = findBlueButton(image, false);
            if (!add)
                return std::nullopt;
            return Answer{{*add}, add->center(), true};
        },
        timeoutMs, 3000, &presses);
    if (!answered)
        m_error = QStringLiteral("no \"Add Keyboard Shortcuts\" dialog answered within %1 ms").arg(timeoutMs) + m_error;
    return answered ? presses : 0;
}

} // namespace quorvel::test
