// The real program in a real headless GNOME stack (mutter, PipeWire,
// xdg-desktop-portal-gnome), clicking through the RemoteDesktop portal: on
// GNOME 43 (portal version 1) through its Notify calls, on GNOME 48
// (version 2) through libei. Three unattended runs in a row of a file of
// several rows, each giving every click at its place and in order, and
// exit 0; the program names the path that clicked, and no other. The
// portal's dialog is answered as a person would: at every run on GNOME 43,
// which remembers nothing, and only at the first on GNOME 48, which keeps
// the answer. Before each run the pointer rests away from the first click,
// on a recorder, so that a first press landing where the pointer was
// shows. Clicks are seen by the click recorder under Xwayland, on strips
// round the screen's centre, where the dialog comes.
//
// On GNOME 48, in GNOME Shell: the stored hot keys, bound through the
// global shortcuts portal (whose dialog is answered as a person would),
// and pressed through mutter's remote keyboard, start and stop a run.
#include "support/ClickRecorder.h"
#include "support/Desktop.h"
#include "support/E2eSession.h"
#include "support/GnomeSession.h"
#include "support/MutterRemote.h"
#include "support/TestEnvironment.h"

#include <QStandardPaths>
#include <QtTest>

#include <memory>

using namespace quorvel::test;
using Kind = RecordedEvent::Kind;

namespace {

// Round the dialog, which comes at about 380..900 x 362..662 (GNOME 43) or
// 310..970 x 262..762 (GNOME 48).
const std::vector<QRect> kStrips{QRect(0, 0, 1280, 240), QRect(0, 790, 1280, 234), QRect(0, 240, 290, 550),
                                 QRect(990, 240, 290, 550)};
const QPoint kRestingPointer(1200, 900);

CClickEntry row(int x, int y, int clickType, int cursorBack, std::uint32_t delay)
{
    CClickEntry e = ::quorvel::test::clickAt(x, y, delay);
    e.m_clickType = clickType;
    e.m_cursorBack = cursorBack;
    return e;
}

} // namespace

class GnomeEndToEndTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();

    void unattendedRunsPlayEveryClickThroughThePortal();
    void storedHotKeysStartAndStopPlayback();

private:
    std::unique_ptr<GnomeSession> m_gnome;
    std::unique_ptr<MutterRemote> m_remote;
};

void GnomeEndToEndTest::initTestCase()
{
    const QString missing = GnomeSession::missingPrograms();
    if (!missing.isEmpty())
        QSKIP(qPrintable("no GNOME stack here, " + missing));
    m_gnome = std::make_unique<GnomeSession>();
    QVERIFY2(m_gnome->isRunning(), qPrintable(m_gnome->errorString()));
    m_remote = std::make_unique<MutterRemote>(*m_gnome);
    QVERIFY2(m_remote->start(), qPrintable(m_remote->errorString()));
    m_gnome->exportEnvironment();
}

void GnomeEndToEndTest::cleanupTestCase()
{
    m_remote.reset();
    m_gnome.reset();
}

void GnomeEndToEndTest::unattendedRunsPlayEveryClickThroughThePortal()
{
    QVERIFY(writeProfile(""));
    // Eight spots, each clicked left, right and double left, 40 ms apart:
    // clicks at the same spot and close together are those whose buttons
    // GNOME 43 lost.
    std::vector<CClickEntry> rows;
    QStringList expected;
    for (int spot = 0; spot < 8; ++spot) {
        const int x = 80 + spot * 160;
        const int y = spot % 2 ? 80 : 180;
        rows.push_back(row(x, y, 0, 0, 40));
        rows.push_back(row(x, y, 1, 0, 40));
        rows.push_back(row(x, y, 2, 0, 40));
        expected += clickLines(1, x, y) + clickLines(3, x, y) + clickLines(1, x, y) + clickLines(1, x, y);
    }
    const QString file = writeSequence(QStringLiteral("rows.tpx"), 1, rows);
    const uint version = m_gnome->remoteDesktopVersion();
    for (int run = 1; run <= 3; ++run) {
        const QString where = QStringLiteral("run %1 (portal version %2)").arg(run).arg(version);
        QVERIFY2(m_remote->moveTo(kRestingPointer), qPrintable(m_remote->errorString()));
        ClickRecorder recorder;
        {
            const GnomeSession::XClients x(*m_gnome);
            ClickRecorder::Options options;
            options.more = kStrips;
            QVERIFY2(recorder.start(options), qPrintable(recorder.errorString()));
        }
        BoundedProcess program;
        QVERIFY2(program.start(programPath(), {file}), qPrintable(program.errorString()));
        // A portal of version 1 asks at every run; a later one only at the
        // first, and a dialog at a later run would hold the clicks back.
        if (run == 1 || version < 2)
            QVERIFY2(m_remote->answerShareDialog(20000), qPrintable(where + ": " + m_remote->errorString()));
        const std::vector<RecordedEvent> events = recorder.take(expected.size(), 15000);
        if (!program.waitForExit(15000))
            QFAIL(qPrintable(where + " did not end: " + describe(events) + m_remote->keepScreen() + "\n" +
                             program.readAllStandardError()));
        const QByteArray errors = program.readAllStandardError();
        QVERIFY2(buttonsOf(events) == expected, qPrintable(where + ": " + describe(events) + "\n" + errors));
        QCOMPARE(program.exitCode(), 0);
        const QString path = wrongClickPath(errors, version);
        QVERIFY2(path.isEmpty(), qPrintable(where + ": " + path));
        QVERIFY(recorder.collectFor(200).empty());
    }
}

void GnomeEndToEndTest::storedHotKeysStartAndStopPlayback()
{
    if (QStandardPaths::findExecutable("gnome-shell").isEmpty())
        QSKIP("GNOME Shell is not installed; its global shortcuts need it");
    // A session of its own, in GNOME Shell.
    m_remote.reset();
    m_gnome.reset();
    GnomeSession::Options options;
    options.shell = true;
    GnomeSession shell(options);
    QVERIFY2(shell.isRunning(), qPrintable(shell.errorString()));
    if (shell.globalShortcutsVersion() == 0)
        QSKIP("this GNOME's portal has no global shortcuts (GNOME 48 and later have)");
    MutterRemote remote(shell);
    QVERIFY2(remote.start(), qPrintable(remote.errorString()));
    QVERIFY(remote.pressKeys({1})); // Esc: out of the overview GNOME Shell starts in
    shell.exportEnvironment();
    // Ctrl+Alt+P starts and stops, Ctrl+Alt+G takes the pointer's position.
    QVERIFY(writeProfile("StopMouseClicks%20Key=80\nStopMouseClicks%20Mod=3\n"
                         "GetMousePos%20Key=71\nGetMousePos%20Mod=3\n"));
    ClickRecorder recorder;
    {
        const GnomeSession::XClients x(shell);
        ClickRecorder::Options strip;
        strip.area = QRect(0, 790, 1280, 234);
        QVERIFY2(recorder.start(strip), qPrintable(recorder.errorString()));
    }
    BoundedProcess program;
    QVERIFY2(program.start(programPath(), {}), qPrintable(program.errorString()));
    // The desktop confirms the shortcuts that the program binds at start,
    // one question for each, the second straight after the first.
    const int presses = remote.answerShortcutsDialogs(40000);
    if (presses < 2)
        QFAIL(qPrintable(QStringLiteral("%1 of 2 shortcuts confirmed: ").arg(presses) + remote.errorString() + "\n" +
                         program.readAllStandardError()));
    QTest::qWait(1000); // the window has the keyboard again
    // A row typed into the window, its X field first: 300, Tab, 900, Return.
    QVERIFY(remote.pressKeys({4}) && remote.pressKeys({11}) && remote.pressKeys({11}) && remote.pressKeys({15}) &&
            remote.pressKeys({10}) && remote.pressKeys({11}) && remote.pressKeys({11}) && remote.pressKeys({28}));
    QVERIFY(remote.pressKeys({29, 56, 25}));
    // The first playback asks for the pointer.
    QVERIFY2(remote.answerShareDialog(20000), qPrintable(remote.errorString()));
    QCOMPARE(buttonsOf(recorder.take(2, 8000)), clickLines(1, 300, 900));
    QVERIFY(remote.pressKeys({29, 56, 25}));
    recorder.collectFor(300);
    QVERIFY2(recorder.collectFor(1500).empty(), "the second press did not stop the run");
    QVERIFY2(program.isRunning(), "the program ended");
}

QUORVEL_TEST_MAIN_CORE(GnomeEndToEndTest)
#include "tst_gnome_e2e.moc"
