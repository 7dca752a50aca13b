// The X11 pointer on a private Xvfb: positions set and read back, and the
// injected buttons as another client (the click recorder) sees them.
#include "platform/Platform.h"
#include "support/BoundedProcess.h"
#include "support/ClickRecorder.h"
#include "support/PlatformFormatting.h"
#include "support/TestEnvironment.h"
#include "support/XvfbServer.h"

#include <QtTest>

#include <memory>

using namespace platform;
using quorvel::test::ClickRecorder;
using quorvel::test::RecordedEvent;
using Kind = quorvel::test::RecordedEvent::Kind;

namespace {

// The pointer as xdotool, an independent client, reads it.
bool pointerSeenByXdotool(Point& position, QString& problem)
{
    const quorvel::test::ProcessOutput output =
        quorvel::test::runBounded("xdotool", {"getmouselocation", "--shell"}, 10000);
    if (!output.succeeded()) {
        problem = output.describe();
        return false;
    }
    bool okX = false;
    bool okY = false;
    for (const QByteArray& line : output.standardOutput.split('\n')) {
        if (line.startsWith("X="))
            position.x = line.mid(2).toInt(&okX);
        else if (line.startsWith("Y="))
            position.y = line.mid(2).toInt(&okY);
    }
    problem = "unexpected output: " + QString::fromLocal8Bit(output.standardOutput);
    return okX && okY;
}

} // namespace

class TestX11Mouse : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void setPositionsReadBack_data();
    void setPositionsReadBack();
    void clicksLandAtThePointerInOrder();
    void eachEventLeavesAtOnce();
    void aClickGoesOutWhole();

private:
    Mouse& mouse() { return m_platform->mouse(); }

    std::unique_ptr<quorvel::test::XvfbServer> m_server;
    std::unique_ptr<Platform> m_platform;
};

void TestX11Mouse::initTestCase()
{
    m_server = std::make_unique<quorvel::test::XvfbServer>();
    QVERIFY2(m_server->isRunning(), qPrintable(m_server->errorString()));
    m_server->exportDisplay();
    m_platform = createNative();
    const Result check = m_platform->check();
    QVERIFY2(check.ok, check.message.c_str());
}

void TestX11Mouse::cleanupTestCase()
{
    m_platform.reset();
    m_server.reset();
}

void TestX11Mouse::setPositionsReadBack_data()
{
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");
    QTest::addColumn<int>("expectedX");
    QTest::addColumn<int>("expectedY");
    QTest::newRow("middle") << 640 << 512 << 640 << 512;
    QTest::newRow("origin") << 0 << 0 << 0 << 0;
    QTest::newRow("bottom right pixel") << 1279 << 1023 << 1279 << 1023;
    QTest::newRow("odd spot") << 17 << 901 << 17 << 901;
    QTest::newRow("left of and above the screen") << -50 << -7 << 0 << 0;
    QTest::newRow("beyond the screen") << 5000 << 4000 << 1279 << 1023;
}

void TestX11Mouse::setPositionsReadBack()
{
    QFETCH(int, x);
    QFETCH(int, y);
    QFETCH(int, expectedX);
    QFETCH(int, expectedY);

    mouse().setCursorPos(x, y);
    // The server moves the pointer when it handles the request; read back
    // with a short bounded retry.
    QTRY_COMPARE_WITH_TIMEOUT(mouse().cursorPos(), known(expectedX, expectedY), 2000);
    Point seen;
    QString problem;
    QVERIFY2(pointerSeenByXdotool(seen, problem), qPrintable(problem));
    QCOMPARE(seen, (Point{expectedX, expectedY}));
}

void TestX11Mouse::clicksLandAtThePointerInOrder()
{
    ClickRecorder recorder;
    QVERIFY2(recorder.start(), qPrintable(recorder.errorString()));

    mouse().setCursorPos(300, 200);
    mouse().button(Button::Left, ButtonAction::Down);
    mouse().button(Button::Left, ButtonAction::Up);
    mouse().setCursorPos(901, 777);
    mouse().button(Button::Right, ButtonAction::Down);
    mouse().button(Button::Right, ButtonAction::Up);

    const std::vector<RecordedEvent> events = recorder.take(4, 5000);
    QVERIFY2(events.size() == 4, qPrintable(describe(events)));
    QVERIFY2(events[0].isButton(Kind::Press, 1), qPrintable(describe(events)));
    QVERIFY2(events[1].isButton(Kind::Release, 1), qPrintable(describe(events)));
    QVERIFY2(events[2].isButton(Kind::Press, 3), qPrintable(describe(events)));
    QVERIFY2(events[3].isButton(Kind::Release, 3), qPrintable(describe(events)));
    for (int i = 0; i < 2; ++i) {
        QCOMPARE((Point{events[i].x, events[i].y}), (Point{300, 200}));
        QCOMPARE((Point{events[i + 2].x, events[i + 2].y}), (Point{901, 777}));
    }
    for (std::size_t i = 0; i < events.size(); ++i) {
        // Through the input devices, not XSendEvent, which many programs ignore.
        QVERIFY(!events[i].sent);
        if (i > 0)
            QVERIFY(events[i].time >= events[i - 1].time);
    }
    QVERIFY2(recorder.collectFor(200).empty(), "more events than injected");
}

void TestX11Mouse::eachEventLeavesAtOnce()
{
    // A double click's pause must part the two clicks on the server: had the
    // events waited in the connection's buffer, they would arrive together.
    ClickRecorder recorder;
    QVERIFY2(recorder.start(), qPrintable(recorder.errorString()));
    mouse().setCursorPos(50, 60);
    mouse().button(Button::Left, ButtonAction::Down);
    mouse().button(Button::Left, ButtonAction::Up);
    mouse().pause(150);
    mouse().button(Button::Left, ButtonAction::Down);
    mouse().button(Button::Left, ButtonAction::Up);

    const std::vector<RecordedEvent> events = recorder.take(4, 5000);
    QVERIFY2(events.size() == 4, qPrintable(describe(events)));
    // Some slack for a server that handles the first click late.
    const std::uint64_t gap = events[2].time - events[1].time;
    QVERIFY2(gap >= 100, qPrintable(QString("gap %1 ms: %2").arg(gap).arg(describe(events))));
}

void TestX11Mouse::aClickGoesOutWhole()
{
    // A run's connection of its own gathers a click into one write; its
    // moves and buttons still take effect in order: the buttons where the
    // first move put the pointer, the pointer back afterwards, and a double
    // click's pause between its clicks on the server.
    ClickRecorder recorder;
    QVERIFY2(recorder.start(), qPrintable(recorder.errorString()));
    RunWait wait;
    const std::unique_ptr<MouseRun> run = mouse().openRun(wait);
    QVERIFY(run->open());
    run->setCursorPos(400, 300);
    run->button(Button::Left, ButtonAction::Down);
    run->button(Button::Left, ButtonAction::Up);
    QVERIFY(run->pause(150));
    run->button(Button::Left, ButtonAction::Down);
    run->button(Button::Left, ButtonAction::Up);
    run->setCursorPos(20, 30);
    run->flush();

    const std::vector<RecordedEvent> events = recorder.take(4, 5000);
    QVERIFY2(events.size() == 4, qPrintable(describe(events)));
    for (const RecordedEvent& e : events)
        QCOMPARE((Point{e.x, e.y}), (Point{400, 300}));
    QVERIFY2(events[2].arrivalUs - events[1].arrivalUs >= 100000, qPrintable(describe(events)));
    QTRY_COMPARE_WITH_TIMEOUT(mouse().cursorPos(), known(20, 30), 2000);
}

QUORVEL_TEST_MAIN_CORE(TestX11Mouse)
#include "tst_x11mouse.moc"
