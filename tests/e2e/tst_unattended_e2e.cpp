// The real program started with a sequence file, on a private X server: with
// a tray host it plays with only its icon to be seen and ends by itself; the
// icon's menu shows the window or ends the run; without a tray host the
// window comes up minimised and the run still ends by itself.
#include "support/E2eSession.h"
#include "support/ClickRecorder.h"
#include "support/Desktop.h"
#include "support/TestEnvironment.h"
#include "support/XvfbServer.h"

#include <QtTest>

#include <memory>

using namespace quorvel::test;
using Kind = RecordedEvent::Kind;

namespace {

const QRect kClickArea(0, 0, 1280, 240);

QString describe(const std::vector<RecordedEvent>& events)
{
    QStringList lines;
    for (const RecordedEvent& e : events)
        lines << e.toString();
    return lines.join(QStringLiteral(" | "));
}

std::vector<QPoint> pressesOf(const std::vector<RecordedEvent>& events)
{
    std::vector<QPoint> points;
    for (const RecordedEvent& e : events)
        if (e.isButton(Kind::Press, 1))
            points.emplace_back(e.x, e.y);
    return points;
}

// Two rows played twice: (300, 100), (600, 150), (300, 100), (600, 150).
QString twoRowsTwice()
{
    return writeSequence(QStringLiteral("two-rows.tpx"), 2, {clickAt(300, 100, 200), clickAt(600, 150, 200)});
}
const std::vector<QPoint> kTwoRowsTwice{{300, 100}, {600, 150}, {300, 100}, {600, 150}};

} // namespace

class UnattendedRunTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void playsWithOnlyTheIconAndEndsByItself();
    void iconMenuShowsTheWindowAndExits();
    void withoutATrayTheWindowStandsInMinimised();

private:
    std::unique_ptr<XvfbServer> m_server;
};

void UnattendedRunTest::init()
{
    m_server = std::make_unique<XvfbServer>();
    QVERIFY2(m_server->isRunning(), qPrintable(m_server->errorString()));
    m_server->exportDisplay();
    QVERIFY(writeProfile(""));
}

void UnattendedRunTest::cleanup()
{
    m_server.reset();
}

void UnattendedRunTest::playsWithOnlyTheIconAndEndsByItself()
{
    TrayHost tray;
    QVERIFY2(tray.start(), qPrintable(tray.errorString()));
    const QString file = twoRowsTwice();
    ClickRecorder recorder;
    ClickRecorder::Options options;
    options.area = kClickArea;
    QVERIFY2(recorder.start(options), qPrintable(recorder.errorString()));

    BoundedProcess program;
    program.discardStandardOutput();
    QVERIFY2(program.start(programPath(), {file}), qPrintable(program.errorString()));
    QVERIFY2(waitForProgramWindowIn(tray.panel()), "no icon in the tray");
    QVERIFY(visibleWindows(kMainWindowPattern).isEmpty());

    const std::vector<RecordedEvent> events = recorder.take(8, 10000);
    QVERIFY2(pressesOf(events) == kTwoRowsTwice, qPrintable(describe(events)));
    QVERIFY2(program.waitForExit(10000), "the run did not end by itself");
    QCOMPARE(program.exitCode(), 0);
    QVERIFY(programWindows().empty()); // the icon is gone with it
    QVERIFY(visibleWindows(kMainWindowPattern).isEmpty());
}

void UnattendedRunTest::iconMenuShowsTheWindowAndExits()
{
    TrayHost tray;
    QVERIFY2(tray.start(), qPrintable(tray.errorString()));
    // One row a minute, until stopped.
    const QString file = writeSequence(QStringLiteral("slow.tpx"), 0, {clickAt(300, 100, 60000)});
    BoundedProcess program;
    program.discardStandardOutput();
    QVERIFY2(program.start(programPath(), {file}), qPrintable(program.errorString()));
    const auto icon = waitForProgramWindowIn(tray.panel());
    QVERIFY2(icon, "no icon in the tray");
    QTest::qWait(300);
    QVERIFY(visibleWindows(kMainWindowPattern).isEmpty());

    // Right button on the icon: the menu; Down, Down, Enter: "Show".
    QVERIFY(click(icon->geometry.center(), 3));
    const auto menu = waitForNewProgramWindow({*icon});
    QVERIFY2(menu, "no menu");
    QVERIFY(keys({"Down", "Down", "Return"}));
    QVERIFY2(waitForWindow(kMainWindowPattern, 5000), "Show did not bring up the window");
    QVERIFY(program.isRunning());

    // A left click on the icon does nothing.
    const std::vector<ShownWindow> before = programWindows();
    QVERIFY(click(icon->geometry.center(), 1));
    QVERIFY(!waitForNewProgramWindow(before, 700));

    // Again the menu, Down, Enter: "Exit" ends the run (nothing was changed,
    // so nothing is asked).
    QVERIFY(click(icon->geometry.center(), 3));
    QVERIFY2(waitForNewProgramWindow(before), "no menu");
    QVERIFY(keys({"Down", "Return"}));
    QVERIFY2(program.waitForExit(10000), "Exit did not end the program");
    QCOMPARE(program.exitCode(), 0);
}

void UnattendedRunTest::withoutATrayTheWindowStandsInMinimised()
{
    const QString file = twoRowsTwice();
    ClickRecorder recorder;
    ClickRecorder::Options options;
    options.area = kClickArea;
    QVERIFY2(recorder.start(options), qPrintable(recorder.errorString()));

    BoundedProcess program;
    program.discardStandardOutput();
    QVERIFY2(program.start(programPath(), {file}), qPrintable(program.errorString()));
    const auto window = waitForWindow(kMainWindowPattern);
    QVERIFY2(window, "the window did not come up");
    QVERIFY2(asksToBeMinimised(*window), "the window is not minimised");

    const std::vector<RecordedEvent> events = recorder.take(8, 10000);
    QVERIFY2(pressesOf(events) == kTwoRowsTwice, qPrintable(describe(events)));
    QVERIFY2(program.waitForExit(10000), "the run did not end by itself");
    QCOMPARE(program.exitCode(), 0);
}

QUORVEL_TEST_MAIN_CORE(UnattendedRunTest)
#include "tst_unattended_e2e.moc"
