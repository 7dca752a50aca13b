// The real program's global hot keys on a private X server: the start/stop
// hot key plays and stops, a start waits for the hot key's modifiers to be
// let go, the capture hot key assigned in the window fills X and Y (Num Lock
// on or off) and Clear lets go of it, and a combination that another client
// holds is reported at start; in the window, Alt+letter reaches the controls
// by the dialog rules.
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

// Clicks go to this strip, above the centred main window.
const QRect kClickStrip(0, 0, 1280, 240);

// Waits for the save dialog and saves as `path` there.
bool saveAs(const QString& path)
{
    const std::optional<QString> dialog = waitForWindow(QStringLiteral("^Save As$"), 10000);
    return dialog && focusWindow(*dialog) && xdotool({"type", "--delay", "15", path}) && keys({"Return"});
}

// Whether `events` are left clicks (press, release) at `points`, in order.
bool clicksAt(const std::vector<RecordedEvent>& events, const std::vector<QPoint>& points)
{
    if (events.size() != points.size() * 2)
        return false;
    for (std::size_t i = 0; i < events.size(); ++i) {
        const Kind kind = i % 2 == 0 ? Kind::Press : Kind::Release;
        if (!events[i].isButton(kind, 1) || QPoint(events[i].x, events[i].y) != points[i / 2])
            return false;
    }
    return true;
}

} // namespace

class HotKeysEndToEndTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();
    void cleanupTestCase();

    void startStopHotKeyPlaysAndStops();
    void startWaitsForTheModifiersToBeLetGo();
    void captureHotKeyAssignedInTheWindow();
    void combinationHeldElsewhereIsReportedAtStart();
    void altLettersInTheWindow();

private:
    // Starts the program and waits for its main window.
    bool startProgram();

    std::unique_ptr<XvfbServer> m_server;
    std::unique_ptr<RunningProgram> m_program;
};

void HotKeysEndToEndTest::initTestCase()
{
    m_server = std::make_unique<XvfbServer>();
    QVERIFY2(m_server->isRunning(), qPrintable(m_server->errorString()));
    m_server->exportDisplay();
}

void HotKeysEndToEndTest::cleanup()
{
    m_program.reset(); // ended by its id
}

void HotKeysEndToEndTest::cleanupTestCase()
{
    m_server.reset();
}

bool HotKeysEndToEndTest::startProgram()
{
    m_program = std::make_unique<RunningProgram>();
    return m_program->start();
}

void HotKeysEndToEndTest::startStopHotKeyPlaysAndStops()
{
    QVERIFY(writeProfile("StopMouseClicks%20Key=83\nStopMouseClicks%20Mod=3\n"));
    QVERIFY2(startProgram(), "the main window did not appear");
    QVERIFY(m_program->addRow(400, 100, 300));
    ClickRecorder recorder;
    ClickRecorder::Options options;
    options.area = kClickStrip;
    QVERIFY2(recorder.start(options), qPrintable(recorder.errorString()));

    QVERIFY(keys({"ctrl+alt+s"}));
    std::vector<RecordedEvent> events = recorder.take(4, 8000);
    QVERIFY2(clicksAt(events, {{400, 100}, {400, 100}}), qPrintable(describe(events)));
    QVERIFY2(events[2].time - events[0].time >= 250, qPrintable(describe(events)));

    QVERIFY(keys({"ctrl+alt+s"}));
    recorder.collectFor(500); // a click already on its way when the key came
    events = recorder.collectFor(1000);
    QVERIFY2(events.empty(), qPrintable(describe(events)));
    QVERIFY(m_program->process().isRunning()); // a stop by the hot key does not close the window

    // And it starts again.
    QVERIFY(keys({"ctrl+alt+s"}));
    events = recorder.take(2, 5000);
    QVERIFY2(clicksAt(events, {{400, 100}}), qPrintable(describe(events)));
}

void HotKeysEndToEndTest::startWaitsForTheModifiersToBeLetGo()
{
    QVERIFY(writeProfile("StopMouseClicks%20Key=83\nStopMouseClicks%20Mod=3\n"));
    QVERIFY2(startProgram(), "the main window did not appear");
    // The first row comes at once after the start; the run stops after both.
    QVERIFY(m_program->addRow(400, 100, 0));
    QVERIFY(m_program->addRow(500, 100, 300));
    QVERIFY(m_program->setRepeatCount(1));
    ClickRecorder recorder;
    ClickRecorder::Options options;
    options.area = kClickStrip;
    QVERIFY2(recorder.start(options), qPrintable(recorder.errorString()));

    // The server lets go of the keys a client pressed when that client ends,
    // so one xdotool holds them for the whole wait.
    BoundedProcess holder;
    QVERIFY(holder.start(QStringLiteral("xdotool"), {"keydown", "ctrl+alt+s", "sleep", "0.8", "keyup", "ctrl+alt+s"}));
    std::vector<RecordedEvent> events = recorder.collectFor(600);
    QVERIFY(holder.waitForExit(5000));
    QVERIFY2(events.empty(), qPrintable("clicked with Ctrl+Alt held: " + describe(events)));
    events = recorder.take(4, 5000);
    QVERIFY2(clicksAt(events, {{400, 100}, {500, 100}}), qPrintable(describe(events)));
    QVERIFY(recorder.collectFor(600).empty());
}

void HotKeysEndToEndTest::captureHotKeyAssignedInTheWindow()
{
    QVERIFY(writeProfile(""));
    QVERIFY2(startProgram(), "the main window did not appear");
    const WindowPoints w = m_program->points();

    // Assign Ctrl+Alt+G: into the field, then its Assign button.
    QVERIFY(click(w.at(163, 273)));
    QVERIFY(keys({"ctrl+alt+g"}));
    QVERIFY(click(w.at(231, 273)));
    QTRY_VERIFY2_WITH_TIMEOUT(profileValue(QStringLiteral("GetMousePos Key")) == QLatin1String("71"),
                              "Assign stored no Ctrl+Alt+G: the field did not take the click or the keys", 5000);
    QCOMPARE(profileValue(QStringLiteral("GetMousePos Mod")), QStringLiteral("3"));
    {
        KeyHolder other; // the combination is ours now
        QVERIFY(!other.hold(QStringLiteral("ctrl+alt+g")));
        QCOMPARE(other.lastLine(), QStringLiteral("refused"));
    }
    QVERIFY(m_program->setRepeatCount(1));

    // Point, press, Enter (Add); the second time with Num Lock on. The
    // pointer stays put until the program has taken the position.
    QVERIFY(moveTo({123, 45}));
    QVERIFY(keys({"ctrl+alt+g"}));
    QTest::qWait(700);
    QVERIFY(keys({"Return"}));
    QVERIFY(keys({"Num_Lock"}));
    QVERIFY(moveTo({150, 60}));
    QVERIFY(keys({"ctrl+alt+g"}));
    QTest::qWait(700);
    QVERIFY(keys({"Num_Lock"}));
    QVERIFY(keys({"Return"}));

    // The rows play at the captured positions.
    ClickRecorder recorder;
    ClickRecorder::Options options;
    options.area = kClickStrip;
    QVERIFY2(recorder.start(options), qPrintable(recorder.errorString()));
    QVERIFY(click(w.at(359, 123))); // Start
    const std::vector<RecordedEvent> events = recorder.take(4, 8000);
    QVERIFY2(clicksAt(events, {{123, 45}, {150, 60}}), qPrintable(describe(events)));

    // Clear: stored as nothing, and the combination is free for others.
    QVERIFY(click(w.at(285, 273)));
    QTRY_COMPARE_WITH_TIMEOUT(profileValue(QStringLiteral("GetMousePos Key")), QStringLiteral("0"), 5000);
    // The two values are written one after the other.
    QTRY_COMPARE_WITH_TIMEOUT(profileValue(QStringLiteral("GetMousePos Mod")), QStringLiteral("0"), 5000);
    KeyHolder other;
    QVERIFY2(other.hold(QStringLiteral("ctrl+alt+g")), qPrintable(other.lastLine()));
}

void HotKeysEndToEndTest::combinationHeldElsewhereIsReportedAtStart()
{
    KeyHolder other;
    QVERIFY2(other.hold(QStringLiteral("ctrl+alt+s")), qPrintable(other.lastLine()));
    QVERIFY(writeProfile("StopMouseClicks%20Key=83\nStopMouseClicks%20Mod=3\n"));
    BoundedProcess program;
    program.discardStandardOutput();
    QVERIFY2(program.start(programPath(), {}), qPrintable(program.errorString()));

    // The message comes while the window is being made, before it shows.
    const auto box = waitForWindow(QStringLiteral("^Quorvel$"));
    QVERIFY2(box, "no message box");
    QVERIFY(visibleWindows(kMainWindowPattern).isEmpty());
    QVERIFY(focusWindow(*box));
    QVERIFY(keys({"Return"}));
    // Then start-up goes on.
    QVERIFY2(waitForWindow(kMainWindowPattern), "the main window did not appear after the message");
    QTRY_VERIFY_WITH_TIMEOUT(visibleWindows(QStringLiteral("^Quorvel$")).isEmpty(), 5000);
}


void HotKeysEndToEndTest::altLettersInTheWindow()
{
    QVERIFY(writeProfile(""));
    QVERIFY2(startProgram(), "the main window did not appear");
    const QString file = QDir(qEnvironmentVariable("HOME")).filePath(QStringLiteral("saved.tpx"));
    QVERIFY(m_program->addRow(300, 100, 7));
    QVERIFY(typeInto(m_program->points().at(94, 44), QStringLiteral("120")));

    // From Y, Alt+D selects the delay; Alt+L walks Delete, Delete All and
    // Load Clicks without pressing them; Alt+A adds; Alt+S saves.
    QVERIFY(keys({"alt+d", "2", "5", "0", "alt+l", "alt+l", "alt+l", "alt+a", "alt+s"}));
    QVERIFY2(saveAs(file), "Alt+S opened no save dialog");
    QTRY_COMPARE_WITH_TIMEOUT(savedRows(file), (QStringList{"300 100 7", "300 120 250"}), 10000);
}

QUORVEL_TEST_MAIN_CORE(HotKeysEndToEndTest)
#include "tst_hotkeys_e2e.moc"
