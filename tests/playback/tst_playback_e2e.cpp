// The real program on a private X server plays a sequence built in its own
// window: the clicks land where and in the order the rows say, the double
// click has its pause inside, and cursor back puts the pointer back.
#include "support/BoundedProcess.h"
#include "support/ClickRecorder.h"
#include "support/Desktop.h"
#include "support/E2eSession.h"
#include "support/TestEnvironment.h"
#include "support/XvfbServer.h"

#include <QtTest>

using namespace quorvel::test;
using Kind = RecordedEvent::Kind;

namespace {

} // namespace

class PlaybackEndToEndTest : public QObject {
    Q_OBJECT
private slots:
    void sequenceBuiltInTheWindowPlays();
};

void PlaybackEndToEndTest::sequenceBuiltInTheWindowPlays()
{
    XvfbServer server;
    QVERIFY2(server.isRunning(), qPrintable(server.errorString()));
    server.exportDisplay();
    BoundedProcess program;
    program.discardStandardOutput();
    QVERIFY2(program.start(programPath(), {}), qPrintable(program.errorString()));
    const auto window = waitForWindow(QStringLiteral("^Quorvel Software Utility"));
    QVERIFY2(window, "the main window did not appear");
    const auto geometry = windowGeometry(*window);
    QVERIFY(geometry);
    QVERIFY2(geometry->top() > 240, "the window covers the strip the clicks go to");
    QVERIFY(focusWindow(*window));
    const WindowPoints w(*geometry);

    struct Row {
        QPoint at;
        int comboSteps; // Down presses from "Single Left Click"
        bool cursorBack;
    };
    const Row rows[] = {{{100, 100}, 0, false}, {{300, 150}, 1, false}, {{500, 200}, 2, true}};
    for (const Row& row : rows) {
        QVERIFY(typeInto(w.at(94, 27), QString::number(row.at.x())));
        QVERIFY(typeInto(w.at(94, 44), QString::number(row.at.y())));
        QVERIFY(xdotool({"key", "Tab", "Home"})); // the click-type box, first entry
        for (int i = 0; i < row.comboSteps; ++i)
            QVERIFY(xdotool({"key", "Down"}));
        if (row.cursorBack)
            QVERIFY(click(w.at(75, 74))); // the box of "Curosr Back :", right of its text
        QVERIFY(typeInto(w.at(172, 75), QStringLiteral("300")));
        QVERIFY(xdotool({"key", "Return"})); // Enter presses Add
        if (row.cursorBack)
            QVERIFY(click(w.at(75, 74)));
    }
    QVERIFY(typeInto(w.at(375, 78), QStringLiteral("1")));

    ClickRecorder recorder;
    ClickRecorder::Options options;
    options.area = QRect(0, 0, 1280, 240);
    QVERIFY2(recorder.start(options), qPrintable(recorder.errorString()));
    QVERIFY(click(w.at(359, 123))); // Start

    const std::vector<RecordedEvent> events = recorder.take(8, 10000);
    const QString seen = describe(events);
    QVERIFY2(events.size() == 8, qPrintable(seen));
    const struct {
        Kind kind;
        int button;
        QPoint at;
    } expected[] = {
        {Kind::Press, 1, {100, 100}}, {Kind::Release, 1, {100, 100}}, {Kind::Press, 3, {300, 150}},
        {Kind::Release, 3, {300, 150}}, {Kind::Press, 1, {500, 200}}, {Kind::Release, 1, {500, 200}},
        {Kind::Press, 1, {500, 200}}, {Kind::Release, 1, {500, 200}},
    };
    for (int i = 0; i < 8; ++i) {
        QVERIFY2(events[i].isButton(expected[i].kind, expected[i].button), qPrintable(seen));
        QVERIFY2(QPoint(events[i].x, events[i].y) == expected[i].at, qPrintable(seen));
        QVERIFY2(!events[i].sent, "a synthetic event instead of an injected one");
    }
    // Loosely timed: each row waits its delay; the double click pauses 10 ms.
    QVERIFY2(events[2].time - events[1].time >= 250, qPrintable(seen));
    QVERIFY2(events[4].time - events[3].time >= 250, qPrintable(seen));
    const auto pause = events[6].time - events[5].time;
    QVERIFY2(pause >= 8 && pause < 1000, qPrintable(seen));

    // The last row had cursor back: the pointer is where it was before it.
    QTRY_COMPARE_WITH_TIMEOUT(pointer(), std::optional<QPoint>(QPoint(300, 150)), 3000);
    QVERIFY(recorder.collectFor(700).empty()); // repeat count 1: nothing more
    QVERIFY(program.isRunning());
}

QUORVEL_TEST_MAIN_CORE(PlaybackEndToEndTest)
#include "tst_playback_e2e.moc"
