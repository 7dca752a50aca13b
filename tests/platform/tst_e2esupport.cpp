// The end-to-end test support itself: bounded processes that never outlive
// their test, the private Xvfb, and the click recorder.
#include "support/BoundedProcess.h"
#include "support/ClickRecorder.h"
#include "support/RecordedEvent.h"
#include "support/TestEnvironment.h"
#include "support/XvfbServer.h"

#include <QElapsedTimer>
#include <QtTest>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

using namespace quorvel::test;

namespace {

bool processExists(qint64 pid)
{
    return pid > 0 && kill(static_cast<pid_t>(pid), 0) == 0;
}

// Whether `pid` disappears within `timeoutMs`.
bool goneWithin(qint64 pid, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (processExists(pid)) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QTest::qSleep(20);
    }
    return true;
}

bool serverAnswers(const QString& display)
{
    return runBounded("xdpyinfo", {"-display", display}, 10000).succeeded();
}

} // namespace

class TestE2eSupport : public QObject {
    Q_OBJECT

private slots:
    void runBoundedReportsTheExit();
    void runBoundedKillsAtTheTimeLimit();
    void stopEndsAProgramThatIgnoresTerm();
    void childrenDieWithTheirTest();
    void readLineWaitsBoundedly();
    void xvfbServersComeAndGo();
    void recordedEventLines_data();
    void recordedEventLines();
    void recorderSeesClicksInItsAreaOnly();
    void recorderExitsWhenItsInputCloses();
};

void TestE2eSupport::runBoundedReportsTheExit()
{
    const ProcessOutput ok = runBounded("sh", {"-c", "echo out; echo err >&2"});
    QVERIFY(ok.succeeded());
    QCOMPARE(ok.standardOutput, QByteArray("out\n"));
    QCOMPARE(ok.standardError, QByteArray("err\n"));

    const ProcessOutput failed = runBounded("sh", {"-c", "exit 3"});
    QVERIFY(failed.finished);
    QCOMPARE(failed.exitCode, 3);
    QVERIFY(!failed.succeeded());
    QVERIFY(failed.describe().contains("exit 3"));

    const ProcessOutput missing = runBounded("/nonexistent/program", {});
    QVERIFY(!missing.started);
    QVERIFY(missing.describe().contains("did not start"));
}

void TestE2eSupport::runBoundedKillsAtTheTimeLimit()
{
    QElapsedTimer timer;
    timer.start();
    const ProcessOutput output = runBounded("sleep", {"30"}, 300);
    QVERIFY(output.started);
    QVERIFY(!output.finished);
    QVERIFY2(timer.elapsed() < 5000, qPrintable(QString::number(timer.elapsed())));
    QVERIFY(!processExists(output.pid));
}

void TestE2eSupport::stopEndsAProgramThatIgnoresTerm()
{
    BoundedProcess process;
    QVERIFY(process.start("sh", {"-c", "trap '' TERM; echo armed; while :; do :; done"}));
    QCOMPARE(process.readLine(5000).value_or("none"), QByteArray("armed"));
    const qint64 pid = process.pid();
    QElapsedTimer timer;
    timer.start();
    process.stop(300);
    QVERIFY(!process.isRunning());
    QVERIFY(!processExists(pid));
    QVERIFY(timer.elapsed() < 3000);
}

void TestE2eSupport::childrenDieWithTheirTest()
{
    // A stand-in for a crashing test: a forked copy of this process starts a
    // program and dies without running any destructor.
    int fds[2];
    QVERIFY(pipe(fds) == 0);
    const pid_t child = fork();
    QVERIFY(child >= 0);
    if (child == 0) {
        close(fds[0]);
        auto* process = new BoundedProcess; // never deleted: the crash
        const qint64 pid = process->start("sleep", {"30"}) ? process->pid() : 0;
        const ssize_t written = write(fds[1], &pid, sizeof pid);
        _exit(written == sizeof pid ? 0 : 1);
    }
    close(fds[1]);
    qint64 orphan = 0;
    const ssize_t count = read(fds[0], &orphan, sizeof orphan);
    close(fds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    QCOMPARE(count, ssize_t(sizeof orphan));
    QVERIFY(orphan > 0);
    QVERIFY2(goneWithin(orphan, 3000), "the program outlived the process that started it");
}

void TestE2eSupport::readLineWaitsBoundedly()
{
    BoundedProcess process;
    QVERIFY(process.start("sh", {"-c", "echo one; exec sleep 30"}));
    QCOMPARE(process.readLine(5000).value_or("none"), QByteArray("one"));
    QElapsedTimer timer;
    timer.start();
    QVERIFY(!process.readLine(200));
    QVERIFY(timer.elapsed() < 2000);

    BoundedProcess ended;
    QVERIFY(ended.start("printf", {"last line without newline"}));
    QCOMPARE(ended.readLine(5000).value_or("none"), QByteArray("last line without newline"));
    QVERIFY(!ended.readLine(200));
}

void TestE2eSupport::xvfbServersComeAndGo()
{
    qint64 pid = 0;
    QString display;
    {
        XvfbServer first;
        QVERIFY2(first.isRunning(), qPrintable(first.errorString()));
        XvfbServer second;
        QVERIFY2(second.isRunning(), qPrintable(second.errorString()));
        QVERIFY(first.display().startsWith(':'));
        QVERIFY(first.display() != second.display());
        QVERIFY(serverAnswers(first.display()));
        QVERIFY(serverAnswers(second.display()));
        const ProcessOutput info = runBounded("xdpyinfo", {"-display", first.display()});
        QVERIFY(info.standardOutput.contains("1280x1024 pixels"));
        pid = first.pid();
        display = first.display();
    }
    QVERIFY(!processExists(pid));
    QVERIFY(!serverAnswers(display));

    XvfbServer::Options failing;
    failing.extraArguments = QStringList{"-no-such-option"};
    XvfbServer broken(failing);
    QVERIFY(!broken.isRunning());
    QVERIFY(!broken.errorString().isEmpty());
}

void TestE2eSupport::recordedEventLines_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QString>("roundTrip");
    QTest::newRow("press") << QByteArray("press 1 300 200 123456") << true << "press 1 300 200 123456";
    QTest::newRow("release sent") << QByteArray("release 3 0 5 7 sent") << true << "release 3 0 5 7 sent";
    QTest::newRow("key") << QByteArray("keypress 39 10 10 99") << true << "keypress 39 10 10 99";
    QTest::newRow("arrival") << QByteArray("press 1 2 3 4 us=1234567") << true << "press 1 2 3 4 us=1234567";
    QTest::newRow("sent, arrival") << QByteArray("release 1 2 3 4 sent us=9") << true << "release 1 2 3 4 sent us=9";
    QTest::newRow("bad arrival") << QByteArray("press 1 2 3 4 us=soon") << false << "";
    QTest::newRow("ready") << QByteArray("ready") << false << "";
    QTest::newRow("unknown kind") << QByteArray("motion 1 2 3 4") << false << "";
    QTest::newRow("missing field") << QByteArray("press 1 2 3") << false << "";
    QTest::newRow("not a number") << QByteArray("press 1 x 3 4") << false << "";
    QTest::newRow("bad flag") << QByteArray("press 1 2 3 4 synthetic") << false << "";
}

void TestE2eSupport::recordedEventLines()
{
    QFETCH(QByteArray, line);
    QFETCH(bool, valid);
    QFETCH(QString, roundTrip);
    const std::optional<RecordedEvent> event = RecordedEvent::parse(line);
    QCOMPARE(event.has_value(), valid);
    if (event)
        QCOMPARE(event->toString(), roundTrip);
}

void TestE2eSupport::recorderSeesClicksInItsAreaOnly()
{
    XvfbServer server;
    QVERIFY2(server.isRunning(), qPrintable(server.errorString()));
    server.exportDisplay();

    ClickRecorder recorder;
    ClickRecorder::Options options;
    options.area = QRect(100, 100, 200, 150);
    QVERIFY2(recorder.start(options), qPrintable(recorder.errorString()));

    const ProcessOutput outside = runBounded("xdotool", {"mousemove", "--sync", "20", "20", "click", "1"});
    QVERIFY2(outside.succeeded(), qPrintable(outside.describe()));
    const ProcessOutput inside = runBounded("xdotool", {"mousemove", "--sync", "150", "240", "click", "3"});
    QVERIFY2(inside.succeeded(), qPrintable(inside.describe()));

    const std::vector<RecordedEvent> events = recorder.take(2, 5000);
    QCOMPARE(events.size(), std::size_t(2));
    QCOMPARE(events[0].toString().section(' ', 0, 3), QString("press 3 150 240"));
    QCOMPARE(events[1].toString().section(' ', 0, 3), QString("release 3 150 240"));
    QVERIFY(recorder.collectFor(200).empty());
}

void TestE2eSupport::recorderExitsWhenItsInputCloses()
{
    XvfbServer server;
    QVERIFY2(server.isRunning(), qPrintable(server.errorString()));
    server.exportDisplay();
    ClickRecorder recorder;
    QVERIFY2(recorder.start(), qPrintable(recorder.errorString()));
    recorder.closeInput();
    QVERIFY(recorder.waitForExit(3000));
    QCOMPARE(recorder.exitCode(), 0);
}

QUORVEL_TEST_MAIN_CORE(TestE2eSupport)
#include "tst_e2esupport.moc"
