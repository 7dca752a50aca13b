// The real program in a headless sway, given no X display: a sequence file
// plays its clicks exactly and in order through the compositor, Cursor Back
// puts the pointer back, and the run ends by itself; the main window is a
// native Wayland client, the capture hot key bound in sway fills X and Y,
// and Start plays; Assign binds the start/stop hot key in sway, its press
// plays, and Clear unbinds it; a sway binding that runs `quorvel --toggle`
// stops an endless unattended run, which then ends; Alt+letter reaches the
// window's controls by the dialog rules. Clicks are seen by the click recorder under
// XWayland, keys are typed with wtype.
#include "support/ClickRecorder.h"
#include "support/Desktop.h"
#include "support/E2eSession.h"
#include "support/SwaySession.h"
#include "support/TestEnvironment.h"

#include <QtTest>

#include <memory>

using namespace quorvel::test;
using Kind = RecordedEvent::Kind;

namespace {

CClickEntry row(int x, int y, int clickType, int cursorBack, std::uint32_t delay)
{
    CClickEntry e = ::quorvel::test::clickAt(x, y, delay);
    e.m_clickType = clickType;
    e.m_cursorBack = cursorBack;
    return e;
}

const QStringList kCtrlAltS{"-M", "ctrl", "-M", "alt", "s", "-m", "alt", "-m", "ctrl"};
const QRect kClickStrip(0, 0, 1280, 240); // above the window, which sway centres

} // namespace

class WaylandEndToEndTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();
    void cleanupTestCase();

    void sequencePlaysThroughTheCompositorAndEnds();
    void nativeWindowCapturesThroughSwayAndStartPlays();
    void assignBindsTheHotKeyInSwayAndClearUnbindsIt();
    void toggleBoundInSwayStopsAnEndlessRun();
    void altLettersInTheNativeWindow();

private:
    // Starts the program and waits for its window in sway's tree.
    bool startProgram(const QStringList& arguments = {});
    bool startRecorder(ClickRecorder& recorder, const QRect& area = {});
    bool type(const QStringList& arguments) { return m_sway->type(arguments); }
    // Types a row into the window's fields (X has the focus) and adds it;
    // Y keeps the focus.
    bool addRow(int x, int y);
    // Start, from Y: back past X, Repeat Count, the start/stop hot key's
    // Clear, Assign and field to the Start button, which is pressed.
    bool pressStart();

    std::unique_ptr<SwaySession> m_sway;
    std::unique_ptr<BoundedProcess> m_program;
    QJsonObject m_window;
};

void WaylandEndToEndTest::initTestCase()
{
    m_sway = std::make_unique<SwaySession>();
    QVERIFY2(m_sway->isRunning(), qPrintable(m_sway->errorString()));
    m_sway->exportEnvironment(); // the program gets no X display
}

void WaylandEndToEndTest::cleanup()
{
    m_program.reset(); // ended by its id
}

void WaylandEndToEndTest::cleanupTestCase()
{
    m_sway.reset();
}

bool WaylandEndToEndTest::startProgram(const QStringList& arguments)
{
    m_program = std::make_unique<BoundedProcess>();
    if (!m_program->start(programPath(), arguments))
        return false;
    const std::optional<QJsonObject> window = m_sway->waitForWindow(QStringLiteral("com.corvane.quorvel"));
    if (window)
        m_window = *window;
    return window.has_value();
}

bool WaylandEndToEndTest::startRecorder(ClickRecorder& recorder, const QRect& area)
{
    const SwaySession::XClients x(*m_sway);
    ClickRecorder::Options options;
    options.area = area;
    return recorder.start(options);
}

bool WaylandEndToEndTest::addRow(int x, int y)
{
    return type({QString::number(x), "-k", "Tab", QString::number(y), "-k", "Return"});
}

bool WaylandEndToEndTest::pressStart()
{
    for (int i = 0; i < 6; ++i)
        if (!type({"-M", "shift", "-k", "Tab", "-m", "shift"}))
            return false;
    return type({"-k", "space"});
}

void WaylandEndToEndTest::sequencePlaysThroughTheCompositorAndEnds()
{
    QVERIFY(writeProfile(""));
    // Single left, single right, then a double left with Cursor Back: the
    // pointer goes back to where the right click left it.
    const QString file = writeSequence(QStringLiteral("three.tpx"), 1,
                                       {row(300, 100, 0, 0, 300), row(1000, 200, 1, 0, 200), row(600, 150, 2, 1, 200)});
    ClickRecorder recorder;
    QVERIFY2(startRecorder(recorder), qPrintable(recorder.errorString()));
    m_program = std::make_unique<BoundedProcess>();
    QVERIFY2(m_program->start(programPath(), {file}), qPrintable(m_program->errorString()));

    const std::vector<RecordedEvent> events = recorder.take(8, 15000);
    QCOMPARE(buttonsOf(events),
             clickLines(1, 300, 100) + clickLines(3, 1000, 200) + clickLines(1, 600, 150) + clickLines(1, 600, 150));
    QVERIFY2(m_program->waitForExit(10000), "the run did not end by itself");
    QCOMPARE(m_program->exitCode(), 0);
    const QByteArray errors = m_program->readAllStandardError();
    QVERIFY2(!errors.contains("cannot"), errors.constData());
    {
        const SwaySession::XClients x(*m_sway); // the recorder covers the screen, so XWayland knows
        QCOMPARE(pointer(), std::optional<QPoint>(QPoint(1000, 200)));
    }
    QVERIFY(recorder.collectFor(300).empty());
}

void WaylandEndToEndTest::nativeWindowCapturesThroughSwayAndStartPlays()
{
    QVERIFY(writeProfile("GetMousePos%20Key=71\nGetMousePos%20Mod=3\nShowOnHotKeyPress=0\n")); // Ctrl+Alt+G
    QVERIFY2(startProgram(), "no window of the program in sway's tree");
    // A Wayland client of its own (under XWayland it would say so), known
    // by its desktop entry's name.
    QCOMPARE(m_window.value("shell").toString(), QStringLiteral("xdg_shell"));
    QVERIFY(m_window.value("name").toString().startsWith("Quorvel Software Utility"));
    // Over the recorder the pointer is over an X window: xdotool tells
    // where it is, independently of the program.
    ClickRecorder recorder;
    QVERIFY2(startRecorder(recorder), qPrintable(recorder.errorString()));
    std::optional<QPoint> where;
    {
        const SwaySession::XClients x(*m_sway);
        where = pointer();
    }
    QVERIFY(where);
    QVERIFY(type({"-M", "ctrl", "-M", "alt", "g", "-m", "alt", "-m", "ctrl"}));
    QTest::qWait(700);
    // Add, then Start: the row plays at the captured position.
    QVERIFY(type({"-k", "Tab", "-k", "Return"}));
    QVERIFY(pressStart());
    const std::vector<RecordedEvent> events = recorder.take(2, 8000);
    QCOMPARE(buttonsOf(events), clickLines(1, where->x(), where->y()));
}

void WaylandEndToEndTest::assignBindsTheHotKeyInSwayAndClearUnbindsIt()
{
    QVERIFY(writeProfile(""));
    QVERIFY2(startProgram(), "no window of the program in sway's tree");
    QVERIFY(addRow(300, 100));
    // From Y back to the start/stop field: X, Repeat Count, Clear, Assign,
    // the field. There the combination is typed, then Assign pressed.
    for (int i = 0; i < 5; ++i)
        QVERIFY(type({"-M", "shift", "-k", "Tab", "-m", "shift"}));
    QVERIFY(type(kCtrlAltS));
    QVERIFY(type({"-k", "Tab", "-k", "space"}));
    QTRY_COMPARE_WITH_TIMEOUT(profileValue(QStringLiteral("StopMouseClicks Key")), QStringLiteral("83"), 5000);
    QTest::qWait(500); // the binding follows the profile within the same handler

    {
        // Its press, wherever the keyboard is, starts and then stops the run.
        ClickRecorder recorder;
        QVERIFY2(startRecorder(recorder, kClickStrip), qPrintable(recorder.errorString()));
        QVERIFY(type(kCtrlAltS));
        const std::vector<RecordedEvent> events = recorder.take(2, 8000);
        QCOMPARE(buttonsOf(events), clickLines(1, 300, 100));
        QVERIFY(type(kCtrlAltS));
        recorder.collectFor(300);
        QVERIFY2(recorder.collectFor(1500).empty(), "the second press did not stop the run");
    }
    // Clear, beside Assign, which kept the keyboard: the press no longer
    // plays, and sway has no such binding left.
    QVERIFY(type({"-k", "Tab", "-k", "space"}));
    QTRY_COMPARE_WITH_TIMEOUT(profileValue(QStringLiteral("StopMouseClicks Key")), QStringLiteral("0"), 5000);
    QTest::qWait(500);
    ClickRecorder recorder;
    QVERIFY2(startRecorder(recorder, kClickStrip), qPrintable(recorder.errorString()));
    QVERIFY(type(kCtrlAltS));
    QVERIFY2(recorder.collectFor(2000).empty(), "the press still plays after Clear");
    QVERIFY2(!m_sway->command("unbindsym Ctrl+Alt+s"), "Clear left the binding in sway");
}

void WaylandEndToEndTest::toggleBoundInSwayStopsAnEndlessRun()
{
    QVERIFY(writeProfile(""));
    QVERIFY(m_sway->command(QStringLiteral("bindsym Ctrl+Alt+t exec %1 --toggle").arg(programPath())));
    const QString file = writeSequence(QStringLiteral("endless.tpx"), 0, {row(300, 100, 0, 0, 300)});
    ClickRecorder recorder;
    QVERIFY2(startRecorder(recorder, kClickStrip), qPrintable(recorder.errorString()));
    m_program = std::make_unique<BoundedProcess>();
    QVERIFY2(m_program->start(programPath(), {file}), qPrintable(m_program->errorString()));
    QCOMPARE(buttonsOf(recorder.take(2, 10000)), clickLines(1, 300, 100));

    QVERIFY(type({"-M", "ctrl", "-M", "alt", "t", "-m", "alt", "-m", "ctrl"}));
    QVERIFY2(m_program->waitForExit(10000), "--toggle did not stop the run");
    QCOMPARE(m_program->exitCode(), 0);
    QVERIFY(m_sway->command(QStringLiteral("unbindsym Ctrl+Alt+t")));
}

void WaylandEndToEndTest::altLettersInTheNativeWindow()
{
    QVERIFY(writeProfile(""));
    QVERIFY2(startProgram(), "no window of the program in sway's tree");
    const QString file = QDir(qEnvironmentVariable("HOME")).filePath(QStringLiteral("saved.tpx"));
    QVERIFY(addRow(300, 100));
    // From Y, Alt+D selects the delay; Alt+L walks Delete, Delete All and
    // Load Clicks without pressing them; Alt+A adds; Alt+S saves.
    const auto alt = [this](const char* letter) { return type({"-M", "alt", letter, "-m", "alt"}); };
    QVERIFY(alt("d"));
    QVERIFY(type({"250"}));
    for (int i = 0; i < 3; ++i)
        QVERIFY(alt("l"));
    QVERIFY(alt("a"));
    QVERIFY(alt("s"));
    QVERIFY2(m_sway->waitForWindow(QStringLiteral("com.corvane.quorvel"), 10000, QStringLiteral("Save As")),
             "Alt+S opened no save dialog");
    QVERIFY(type({file, "-k", "Return"}));
    QTRY_COMPARE_WITH_TIMEOUT(savedRows(file), (QStringList{"300 100 1000", "300 100 250"}), 10000);
}

QUORVEL_TEST_MAIN_CORE(WaylandEndToEndTest)
#include "tst_wayland_e2e.moc"
