// How the program's Windows vocabulary is told to a wlroots session: hot
// keys as sway's key combinations, positions as virtual-pointer motion over
// the output layout.
#include "platform/wayland/OutputLayout.h"
#include "platform/wayland/SwayCombination.h"

#include <QtTest>

using namespace platform;
using namespace platform::wayland;

namespace {

// "x,y of WIDTHxHEIGHT": the motion_absolute arguments, or "none".
QString motion(const std::vector<Rect>& layout, int x, int y)
{
    const std::optional<AbsoluteMotion> m = absoluteMotion(layout, {x, y});
    if (!m)
        return QStringLiteral("none");
    return QStringLiteral("%1,%2 of %3x%4").arg(m->x).arg(m->y).arg(m->xExtent).arg(m->yExtent);
}

} // namespace

class TestWaylandTranslation : public QObject {
    Q_OBJECT
private slots:
    void combinations_data();
    void combinations();
    void motionOverOneOutput();
    void motionOverOutputsLeftOfAndBelowTheFirst();
    void noMotionWithoutAnOutput();
};

void TestWaylandTranslation::combinations_data()
{
    QTest::addColumn<uint>("modifiers");
    QTest::addColumn<uint>("virtualKey");
    QTest::addColumn<QString>("text");
    QTest::newRow("Ctrl+Alt+P") << uint(kModControl | kModAlt) << 0x50u << "Ctrl+Alt+p";
    QTest::newRow("every modifier") << uint(kModWin | kModShift | kModAlt | kModControl) << 0x74u
                                    << "Ctrl+Alt+Shift+Mod4+F5";
    QTest::newRow("Page Up alone") << 0u << 0x21u << "Prior";
    QTest::newRow("keypad 7") << uint(kModShift) << 0x67u << "Shift+KP_7";
    QTest::newRow("digit") << uint(kModAlt) << 0x31u << "Alt+1";
    QTest::newRow("semicolon key") << uint(kModControl) << 0xBAu << "Ctrl+semicolon";
    QTest::newRow("no key") << uint(kModControl) << 0u << "";
    QTest::newRow("code without a key") << uint(kModControl) << 0xFFu << "";
}

void TestWaylandTranslation::combinations()
{
    QFETCH(uint, modifiers);
    QFETCH(uint, virtualKey);
    QFETCH(QString, text);
    QCOMPARE(QString::fromStdString(swayCombination(modifiers, virtualKey)), text);
}

void TestWaylandTranslation::motionOverOneOutput()
{
    const std::vector<Rect> layout{{0, 0, 1280, 1024}};
    QCOMPARE(motion(layout, 300, 200), "300,200 of 1280x1024");
    QCOMPARE(motion(layout, 0, 0), "0,0 of 1280x1024");
    QCOMPARE(motion(layout, 1279, 1023), "1279,1023 of 1280x1024");
    // Off the layout: its nearest edge, never a wrapped-around unsigned value.
    QCOMPARE(motion(layout, -5, 5000), "0,1023 of 1280x1024");
    QCOMPARE(motion(layout, 1280, -1), "1279,0 of 1280x1024");
}

void TestWaylandTranslation::motionOverOutputsLeftOfAndBelowTheFirst()
{
    // A 1920 x 1080 output left of the first, a scaled one (logical size)
    // below it; an output not yet sized does not count.
    const std::vector<Rect> layout{{0, 0, 1280, 1024}, {-1920, 0, 1920, 1080}, {0, 1024, 960, 540}, {5000, 0, 0, 0}};
    QCOMPARE(motion(layout, 0, 0), "1920,0 of 3200x1564");
    QCOMPARE(motion(layout, -1920, 1079), "0,1079 of 3200x1564");
    QCOMPARE(motion(layout, 959, 1563), "2879,1563 of 3200x1564");
}

void TestWaylandTranslation::noMotionWithoutAnOutput()
{
    QCOMPARE(motion({}, 1, 1), "none");
    QCOMPARE(motion({{0, 0, 0, 0}}, 1, 1), "none");
}

QTEST_APPLESS_MAIN(TestWaylandTranslation)
#include "tst_waylandtranslation.moc"
