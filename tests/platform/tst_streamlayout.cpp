// How clicks reach each desktop through its portal, which portal streams
// motions are placed in, and where they lie.
#include "platform/portal/PortalRoute.h"
#include "platform/portal/StreamLayout.h"

#include <QtTest>

using namespace platform::portal;

class TestStreamLayout : public QObject {
    Q_OBJECT
private slots:
    void routeOfEachDesktop();
    void streamsArePlaced();
};

void TestStreamLayout::routeOfEachDesktop()
{
    // desktop, portal version, libei in the build -> the route, as
    // "eis|notify cast:<stream per monitor|workspace|none> settle/hold".
    const auto text = [](const PortalRoute& r) {
        return QStringLiteral("%1 %2 %3/%4")
            .arg(r.eis ? "eis" : "notify", !r.screenCast      ? "none"
                                           : r.wholeWorkspace ? "workspace"
                                                              : "monitors")
            .arg(r.motionSettleMs)
            .arg(r.pressHoldMs);
    };
    const struct {
        const char* desktop;
        std::uint32_t version;
        bool libei;
        const char* route;
    } cases[] = {
        // GNOME 43 (version 1): mutter loses buttons that come too soon.
        {"GNOME", 1, true, "notify monitors 25/30"},
        {"ubuntu:GNOME", 1, false, "notify monitors 25/30"},
        {"", 1, false, "notify monitors 25/30"},
        // Plasma 5.27: one stream of the whole workspace, no pause.
        {"KDE", 1, true, "notify workspace 0/0"},
        // GNOME 46 and later, Plasma 6: libei, and no screen cast, which
        // KWin without a GPU cannot start.
        {"GNOME", 2, true, "eis none 0/0"},
        {"KDE", 2, true, "eis none 0/0"},
        {"foo:KDE", 3, true, "eis none 0/0"},
        // A build without libei on those: the Notify calls, without the
        // pauses that only version 1 needed.
        {"GNOME", 2, false, "notify monitors 0/0"},
        {"KDE", 2, false, "notify workspace 0/0"},
    };
    for (const auto& c : cases)
        QCOMPARE(text(portalRoute(c.desktop, c.version, c.libei)), QString::fromLatin1(c.route));
}

void TestStreamLayout::streamsArePlaced()
{
    const auto text = [](const std::vector<StreamArea>& areas) {
        QStringList out;
        for (const StreamArea& a : areas)
            out << QStringLiteral("%1:%2,%3 %4x%5").arg(a.node).arg(a.x).arg(a.y).arg(a.width).arg(a.height);
        return out.join(' ');
    };
    // GNOME: one stream per monitor, each where the portal says.
    QCOMPARE(text(streamAreas({{7, 1280, 1024, std::pair(0, 0)}, {9, 1920, 1080, std::pair(1280, -56)}})),
             QStringLiteral("7:0,0 1280x1024 9:1280,-56 1920x1080"));
    // KDE: the whole workspace as one stream with no position.
    QCOMPARE(text(streamAreas({{42, 2560, 1024, std::nullopt}})), QStringLiteral("42:0,0 2560x1024"));
    // Several streams without positions: the first one only, at the origin,
    // never a position that another stream's place would shift.
    QCOMPARE(text(streamAreas({{36, 1280, 1024, std::nullopt}, {38, 1280, 1024, std::nullopt}})),
             QStringLiteral("36:0,0 1280x1024"));
    QCOMPARE(text(streamAreas({{36, 1280, 1024, std::pair(0, 0)}, {38, 1280, 1024, std::nullopt}})),
             QStringLiteral("36:0,0 1280x1024"));
    QCOMPARE(text(streamAreas({})), QString());
}

QTEST_APPLESS_MAIN(TestStreamLayout)
#include "tst_streamlayout.moc"
