#include "support/MutterRemote.h"

#include "support/BoundedProcess.h"
#include "support/GnomeSession.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDeadlineTimer>
#include <QTemporaryDir>
#include <QTest>

namespace quorvel::test {
namespace {

const QString kService = QStringLiteral("org.gnome.Mutter.%1");
constexpr int kButtonLeft = 272; // BTN_LEFT

// Adwaita's accent, #3584e4, and its lighter shade under the pointer.
bool isShareBlue(QRgb c)
{
    return qRed(c) < 110 && qGreen(c) > 110 && qGreen(c) < 170 && qBlue(c) > 200;
}

} // namespace

std::optional<ShareDialog> findShareDialog(const QImage& frame)
{
    // The topmost blue is the Share button, in the dialog's header bar.
    ShareDialog d;
    for (int y = 0; y < frame.height() && (d.share.isEmpty() || y < d.share.top() + 60); ++y)
        for (int x = 0; x < frame.width(); ++x)
            if (isShareBlue(frame.pixel(x, y)))
                d.share |= QRect(x, y, 1, 1);
    if (d.share.width() < 40 || d.share.height() < 20)
        return std::nullopt;
    // The switch lies under it, past the list of monitors, near the dialog's
    // right edge: its trough is light grey (off) or blue (on).
    // The edges of the list of monitors and of the switch's card reach
    // further left than the search; the switch's rows do not.
    QRect grey;
    QRect blue;
    for (int y = d.share.bottom() + 120; y < std::min(frame.height(), d.share.bottom() + 320); ++y) {
        QRect greyRow;
        QRect blueRow;
        for (int x = d.share.left() - 20; x <= d.share.right(); ++x) {
            const QRgb c = frame.pixel(x, y);
            if (isShareBlue(c))
                blueRow |= QRect(x, y, 1, 1);
            else if (qRed(c) == qGreen(c) && qGreen(c) == qBlue(c) && std::abs(qRed(c) - 225) <= 3)
                greyRow |= QRect(x, y, 1, 1);
        }
        const auto isSwitchRow = [&](const QRect& row) {
            return row.width() >= 10 && row.left() > d.share.left() - 20;
        };
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
    if (!m_remoteDesktop.isEmpty())
        call(m_remoteDesktop, "org.gnome.Mutter.RemoteDesktop.Session", "Stop", {});
    if (!m_screenCast.isEmpty())
        call(m_screenCast, "org.gnome.Mutter.ScreenCast.Session", "Stop", {});
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
    QVariant path;
    if (!call("/org/gnome/Mutter/ScreenCast", "org.gnome.Mutter.ScreenCast", "CreateSession", {QVariantMap()}, &path))
        return false;
    m_screenCast = path.value<QDBusObjectPath>().path();
    // The primary monitor (an empty connector name).
    if (!call(m_screenCast, "org.gnome.Mutter.ScreenCast.Session", "RecordMonitor", {QString(), QVariantMap()}, &path))
        return false;
    m_bus.connect(kService.arg("ScreenCast"), path.value<QDBusObjectPath>().path(),
                  "org.gnome.Mutter.ScreenCast.Stream", "PipeWireStreamAdded", this, SLOT(streamAdded(uint)));
    if (!call(m_screenCast, "org.gnome.Mutter.ScreenCast.Session", "Start", {}))
        return false;
    if (!call("/org/gnome/Mutter/RemoteDesktop", "org.gnome.Mutter.RemoteDesktop", "CreateSession", {}, &path))
        return false;
    m_remoteDesktop = path.value<QDBusObjectPath>().path();
    if (!call(m_remoteDesktop, "org.gnome.Mutter.RemoteDesktop.Session", "Start", {}))
        return false;
    if (!QTest::qWaitFor([this] { return m_node != 0; }, 10000)) {
        m_error = "mutter gave no PipeWire stream of the screen";
        return false;
    }
    return true;
}

void MutterRemote::streamAdded(uint node)
{
    m_node = node;
}

std::optional<QImage> MutterRemote::frame()
{
    QTemporaryDir dir;
    const QString file = dir.path() + "/frame.png";
    const ProcessOutput out = runBounded("env",
                                         {"XDG_RUNTIME_DIR=" + m_session.runtimeDir(), "gst-launch-1.0", "-q",
                                          "pipewiresrc", "path=" + QString::number(m_node), "num-buffers=1", "!",
                                          "videoconvert", "!", "pngenc", "!", "filesink", "location=" + file},
                                         15000);
    QImage image(file);
    if (!out.succeeded() || image.isNull()) {
        m_error = "no frame: " + out.describe();
        return std::nullopt;
    }
    return image;
}

bool MutterRemote::click(const QPoint& p)
{
    const QString session = "org.gnome.Mutter.RemoteDesktop.Session";
    // Into the top-left corner, then by the point's coordinates.
    return call(m_remoteDesktop, session, "NotifyPointerMotionRelative", {-100000.0, -100000.0}) &&
           call(m_remoteDesktop, session, "NotifyPointerMotionRelative", {double(p.x()), double(p.y())}) &&
           (QTest::qWait(150), true) && call(m_remoteDesktop, session, "NotifyPointerButton", {kButtonLeft, true}) &&
           call(m_remoteDesktop, session, "NotifyPointerButton", {kButtonLeft, false});
}

bool MutterRemote::answerShareDialog(int timeoutMs)
{
    // Acts only on what two frames in a row show alike, so not on a dialog
    // that is still appearing or a switch that is still moving.
    const QDeadlineTimer deadline(timeoutMs);
    std::optional<ShareDialog> before;
    while (!deadline.hasExpired()) {
        const std::optional<QImage> image = frame();
        if (!image)
            return false;
        const std::optional<ShareDialog> seen = findShareDialog(*image);
        const bool steady = seen && before && seen->share == before->share &&
                            seen->remoteSwitch == before->remoteSwitch && seen->switchOn == before->switchOn;
        before = seen;
        if (!steady)
            continue;
        if (!seen->switchOn) {
            if (!click(seen->remoteSwitch.center()))
                return false;
            before.reset();
            continue;
        }
        return click(seen->share.center());
    }
    m_error =
        QStringLiteral("no \"Remote desktop\" dialog with remote interaction switched on within %1 ms").arg(timeoutMs);
    return false;
}

} // namespace quorvel::test
