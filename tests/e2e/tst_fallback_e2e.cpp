// The real program, unattended, under a compositor that lets no program move
// the pointer (headless weston): with XWayland it plays every click through
// it, the first included, in several fresh sessions, with nobody answering
// anything, and `quorvel --toggle` stops an endless run at any moment after
// start; without XWayland nothing can click, and the run says why and ends
// with code 1 once its box has closed by itself.
#include "app/CClickerApp.h"
#include "support/ClickRecorder.h"
#include "support/Desktop.h"
#include "support/E2eSession.h"
#include "support/TestEnvironment.h"
#include "support/WestonSession.h"

#include <QElapsedTimer>
#include <QThread>
#include <QtTest>

using namespace quorvel::test;

namespace {

CClickEntry row(int x, int y, int clickType, std::uint32_t delay)
{
    CClickEntry e = clickAt(x, y, delay);
    e.m_clickType = clickType;
    return e;
}

// Where the clicks go: the top of the screen, clear of where weston puts
// the program's own window.
const QRect kClickStrip(0, 0, 1280, 240);

} // namespace

class FallbackEndToEndTest : public QObject {
    Q_OBJECT
private slots:
    void xwaylandPlaysEveryClickWithoutAQuestion();
    void toggleStopsAnEndlessRunAtAnyMoment();
    void nothingToClickWithEndsTheRunWithCode1();
};

void FallbackEndToEndTest::xwaylandPlaysEveryClickWithoutAQuestion()
{
    QVERIFY(writeProfile(""));
    const QString file = writeSequence(QStringLiteral("three.tpx"), 1,
                                       {row(300, 100, 0, 0), row(1000, 200, 1, 100), row(600, 150, 2, 100)});
    // The first click meets a seat that no click has used yet, so each
    // session is fresh.
    for (int session = 0; session < 3; ++session) {
        WestonSession weston(true);
        QVERIFY2(weston.isRunning(), qPrintable(weston.errorString()));
        weston.exportEnvironment();
        ClickRecorder recorder;
        ClickRecorder::Options options;
        options.area = kClickStrip;
        QVERIFY2(recorder.start(options), qPrintable(recorder.errorString()));
        BoundedProcess program;
        program.discardStandardOutput();
        QVERIFY2(program.start(programPath(), {file}), qPrintable(program.errorString()));

        QCOMPARE(buttonsOf(recorder.take(8, 15000)), clickLines(1, 300, 100) + clickLines(3, 1000, 200) +
                                                         clickLines(1, 600, 150) + clickLines(1, 600, 150));
        QVERIFY2(program.waitForExit(10000), "the run did not end by itself");
        QCOMPARE(program.exitCode(), 0);
        const QByteArray errors = program.readAllStandardError();
        QVERIFY2(errors.contains("reach only X11 windows"), errors.constData());
    }
}

void FallbackEndToEndTest::toggleStopsAnEndlessRunAtAnyMoment()
{
    QVERIFY(writeProfile(""));
    const QString file =
        writeSequence(QStringLiteral("endless.tpx"), 0, {row(300, 100, 0, 150), row(600, 150, 0, 150)});
    WestonSession weston(true);
    QVERIFY2(weston.isRunning(), qPrintable(weston.errorString()));
    weston.exportEnvironment();
    ClickRecorder recorder;
    ClickRecorder::Options options;
    options.area = kClickStrip;
    QVERIFY2(recorder.start(options), qPrintable(recorder.errorString()));
    // At once (the toggle is sent again until a run takes it), before the
    // first click, and while clicks are played.
    for (const int afterMs : {0, 100, 1000}) {
        BoundedProcess program;
        program.discardStandardOutput();
        QVERIFY2(program.start(programPath(), {file}), qPrintable(program.errorString()));
        QThread::msleep(afterMs);
        QElapsedTimer sending;
        sending.start();
        while (!runBounded(programPath(), {"--toggle"}, 5000).succeeded()) {
            QVERIFY2(sending.elapsed() < 10000, "no run took --toggle");
            QVERIFY2(program.isRunning(), "the run ended by itself");
            QThread::msleep(20);
        }
        QVERIFY2(program.waitForExit(10000),
                 qPrintable(QString("--toggle after %1 ms did not stop the run").arg(afterMs)));
        QCOMPARE(program.exitCode(), 0);
    }
}

void FallbackEndToEndTest::nothingToClickWithEndsTheRunWithCode1()
{
    QVERIFY(writeProfile(""));
    const QString file = writeSequence(QStringLiteral("one.tpx"), 1, {row(300, 100, 0, 0)});
    WestonSession weston(false);
    QVERIFY2(weston.isRunning(), qPrintable(weston.errorString()));
    weston.exportEnvironment();
    BoundedProcess program;
    program.discardStandardOutput();
    QVERIFY2(program.start(programPath(), {file}), qPrintable(program.errorString()));
    // Nobody can answer the box here: it closes by itself.
    QVERIFY2(program.waitForExit(CClickerApp::kUnattendedBoxTimeoutMs + 15000), "the run did not end");
    QCOMPARE(program.exitCode(), 1);
    const QByteArray errors = program.readAllStandardError();
    QVERIFY2(errors.contains("lets no program move the pointer") && errors.contains("Nothing is played."),
             errors.constData());
}

QUORVEL_TEST_MAIN_CORE(FallbackEndToEndTest)
#include "tst_fallback_e2e.moc"
