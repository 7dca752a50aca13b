// Which portal streams motions are placed in, and where they lie.
#include "platform/portal/StreamLayout.h"

#include <QtTest>

using namespace platform::portal;

class TestStreamLayout : public QObject {
    Q_OBJECT
private slots:
    void whatEachDesktopNeeds();
    void streamsArePlaced();
};

void TestStreamLayout::whatEachDesktopNeeds()
{
    // KDE: the whole workspace as one stream, and no pause in a click.
    for (const char* kde : {"KDE", "foo:KDE"}) {
        const DesktopNeeds needs = desktopNeeds(kde);
        QVERIFY(needs.wholeWorkspace);
        QCOMPARE(needs.motionSettleMs + needs.pressHoldMs, 0);
    }
    // GNOME, and a desktop not known: a stream per monitor, and the pauses
    // that mutter needs.
    for (const char* other : {"GNOME", "ubuntu:GNOME", ""}) {
        const DesktopNeeds needs = desktopNeeds(other);
        QVERIFY(!needs.wholeWorkspace);
        QVERIFY(needs.motionSettleMs >= 25 && needs.pressHoldMs >= 30);
    }
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
