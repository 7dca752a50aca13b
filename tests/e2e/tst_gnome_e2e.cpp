// The real program in a real headless GNOME stack (mutter, PipeWire,
// xdg-desktop-portal-gnome), clicking through the RemoteDesktop portal:
// three unattended runs in a row of a file of several rows, each answered
// at the portal's dialog as a person would, each giving every click at its
// place and in order, the first of a fresh session included, and exit 0.
// Clicks are seen by the click recorder under Xwayland, over a strip that
// leaves the screen's centre, where the dialog comes, uncovered.
#include "support/ClickRecorder.h"
#include "support/Desktop.h"
#include "support/E2eSession.h"
#include "support/GnomeSession.h"
#include "support/MutterRemote.h"
#include "support/TestEnvironment.h"

#include <QtTest>

#include <memory>

using namespace quorvel::test;
using Kind = RecordedEvent::Kind;

namespace {

const QRect kClickStrip(0, 0, 1280, 300); // the dialog comes at about 380..900 x 362..662

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
    // the desktop lost. The first row's click follows the pointer's move
    // from the dialog's Share button.
    std::vector<CClickEntry> rows;
    QStringList expected;
    for (int spot = 0; spot < 8; ++spot) {
        const int x = 80 + spot * 160;
        const int y = spot % 2 ? 80 : 250;
        rows.push_back(row(x, y, 0, 0, 40));
        rows.push_back(row(x, y, 1, 0, 40));
        rows.push_back(row(x, y, 2, 0, 40));
        expected += clickLines(1, x, y) + clickLines(3, x, y) + clickLines(1, x, y) + clickLines(1, x, y);
    }
    const QString file = writeSequence(QStringLiteral("rows.tpx"), 1, rows);
    for (int run = 1; run <= 3; ++run) {
        ClickRecorder recorder;
        {
            const GnomeSession::XClients x(*m_gnome);
            ClickRecorder::Options options;
            options.area = kClickStrip;
            QVERIFY2(recorder.start(options), qPrintable(recorder.errorString()));
        }
        BoundedProcess program;
        QVERIFY2(program.start(programPath(), {file}), qPrintable(program.errorString()));
        // GNOME's RemoteDesktop portal (version 1) keeps no permission: it
        // asks at every run.
        QVERIFY2(m_remote->answerShareDialog(20000),
                 qPrintable(QStringLiteral("run %1: %2").arg(run).arg(m_remote->errorString())));
        const std::vector<RecordedEvent> events = recorder.take(expected.size(), 15000);
        QVERIFY2(program.waitForExit(15000), qPrintable(QStringLiteral("run %1 did not end").arg(run)));
        const QByteArray errors = program.readAllStandardError();
        QVERIFY2(buttonsOf(events) == expected,
                 qPrintable(QStringLiteral("run %1: %2\n%3").arg(run).arg(describe(events), errors)));
        QCOMPARE(program.exitCode(), 0);
        QVERIFY(recorder.collectFor(200).empty());
    }
}

QUORVEL_TEST_MAIN_CORE(GnomeEndToEndTest)
#include "tst_gnome_e2e.moc"
