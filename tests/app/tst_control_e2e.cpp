// `quorvel --toggle` and `quorvel --capture` against the real program on a
// private X server: they start and stop playback and fill X and Y as the hot
// keys do, reach the first instance only (and the second the moment the
// first has ended), are refused to another user, replace the socket an ended instance
// left, end an unattended run, and fail plainly with no instance.
#include "support/ClickRecorder.h"
#include "support/Desktop.h"
#include "support/E2eSession.h"
#include "support/TestEnvironment.h"
#include "support/XvfbServer.h"

#include <QLocalSocket>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace quorvel::test;
using Kind = RecordedEvent::Kind;

namespace {

// Clicks go to this strip, above the centred main window.
const QRect kClickStrip(0, 0, 1280, 240);

ProcessOutput send(const QString& option)
{
    return runBounded(programPath(), {option});
}

QString socketPath()
{
    return qEnvironmentVariable("XDG_RUNTIME_DIR") + QStringLiteral("/quorvel.sock");
}

// `quorvel --toggle` as the user nobody, but with root's leave to pass file
// modes, through a runtime folder of its own that links to the socket.
ProcessOutput toggleAsNobody()
{
    QTemporaryDir folder;
    const QByteArray path = QFile::encodeName(folder.path());
    if (::chown(path.constData(), 65534, 65534) != 0 || ::chmod(path.constData(), 0700) != 0 ||
        !QFile::link(socketPath(), folder.filePath(QStringLiteral("quorvel.sock"))))
        return ProcessOutput();
    return runBounded(QStringLiteral("setpriv"),
                      {"--reuid=65534", "--regid=65534", "--clear-groups", "--inh-caps=+dac_override",
                       "--ambient-caps=+dac_override", "--", "env", "XDG_RUNTIME_DIR=" + folder.path(), programPath(),
                       "--toggle"});
}

std::vector<QPoint> pressesOf(const std::vector<RecordedEvent>& events)
{
    std::vector<QPoint> points;
    for (const RecordedEvent& e : events)
        if (e.isButton(Kind::Press, 1))
            points.emplace_back(e.x, e.y);
    return points;
}

} // namespace

class ControlTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();

    void withoutAnInstanceBothFail();
    void toggleAndCaptureReachTheFirstInstance();
    void toggleEndsAnUnattendedRun();

private:
    std::unique_ptr<XvfbServer> m_server;
};

void ControlTest::initTestCase()
{
    m_server = std::make_unique<XvfbServer>();
    QVERIFY2(m_server->isRunning(), qPrintable(m_server->errorString()));
    m_server->exportDisplay();
    QVERIFY(writeProfile(""));
}

void ControlTest::cleanupTestCase()
{
    m_server.reset();
}

void ControlTest::withoutAnInstanceBothFail()
{
    for (const QString option : {"--toggle", "--capture"}) {
        const ProcessOutput out = send(option);
        QCOMPARE(out.exitCode, 1);
        QVERIFY2(out.standardError.contains("no running instance to take " + option.toUtf8()),
                 qPrintable(out.describe()));
    }
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    qunsetenv("XDG_RUNTIME_DIR");
    const ProcessOutput out = send(QStringLiteral("--toggle"));
    qputenv("XDG_RUNTIME_DIR", runtime);
    QCOMPARE(out.exitCode, 1);
    QVERIFY2(out.standardError.contains("XDG_RUNTIME_DIR is not set"), qPrintable(out.describe()));
}

void ControlTest::toggleAndCaptureReachTheFirstInstance()
{
    {
        // An instance that ends without cleaning up leaves its socket behind.
        RunningProgram ended;
        QVERIFY2(ended.start(), "the main window did not appear");
    }
    QVERIFY(QFile::exists(socketPath()));
    RunningProgram program;
    QVERIFY2(program.start(), "the main window did not appear");
    struct stat info {};
    QCOMPARE(::lstat(QFile::encodeName(socketPath()).constData(), &info), 0);
    QVERIFY(S_ISSOCK(info.st_mode));
    QCOMPARE(info.st_mode & 07777, mode_t(0600));

    // A row typed in, a second captured at the pointer and added with Enter.
    QVERIFY(program.addRow(400, 100, 300));
    QVERIFY(moveTo({123, 45}));
    ProcessOutput out = send(QStringLiteral("--capture"));
    QVERIFY2(out.succeeded(), qPrintable(out.describe()));
    QTest::qWait(300);
    QVERIFY(keys({"Return"}));

    // A second instance leaves the socket to the first, and says so.
    BoundedProcess second;
    second.discardStandardOutput();
    QVERIFY(second.start(programPath(), {}));
    QByteArray said;
    QTRY_VERIFY2_WITH_TIMEOUT((said += second.readAllStandardError()).contains("another instance answers"),
                              said.constData(), 10000);

    ClickRecorder recorder;
    ClickRecorder::Options options;
    options.area = kClickStrip;
    QVERIFY2(recorder.start(options), qPrintable(recorder.errorString()));
    out = send(QStringLiteral("--toggle"));
    QVERIFY2(out.succeeded(), qPrintable(out.describe()));
    const std::vector<RecordedEvent> events = recorder.take(4, 8000);
    QCOMPARE(pressesOf(events), (std::vector<QPoint>{{400, 100}, {123, 45}}));
    out = send(QStringLiteral("--toggle"));
    QVERIFY2(out.succeeded(), qPrintable(out.describe()));
    recorder.collectFor(500); // a click already on its way
    QVERIFY(recorder.collectFor(1000).empty());
    QVERIFY(program.process().isRunning());

    // Anything but the two commands is ignored, and said.
    QLocalSocket other;
    other.connectToServer(socketPath());
    QVERIFY(other.waitForConnected(2000));
    other.write("start\n");
    QVERIFY(!other.waitForReadyRead(1000));
    said.clear();
    QTRY_VERIFY2_WITH_TIMEOUT((said += program.process().readAllStandardError()).contains("ignored a control command"),
                              said.constData(), 3000);

    // Another user is turned away by the program itself, even one that the
    // socket's mode lets through.
    if (geteuid() == 0) {
        out = toggleAsNobody();
        QVERIFY2(!out.succeeded(), qPrintable(out.describe()));
        said.clear();
        QTRY_VERIFY2_WITH_TIMEOUT(
            (said += program.process().readAllStandardError()).contains("control connection from another user"),
            said.constData(), 3000);
    }

    // An unattended run that ends while it waits to take over ends cleanly.
    BoundedProcess once;
    once.discardStandardOutput();
    QVERIFY(once.start(programPath(), {writeSequence(QStringLiteral("once.tpx"), 1, {clickAt(5, 1000, 0)})}));
    QVERIFY2(once.waitForExit(15000), "a run waiting to take over did not end");
    QCOMPARE(once.exitCode(), 0);

    // The answering instance ends: the second takes over at once. The
    // command comes 5 ms later, from the test itself, since the program's
    // own client takes longer than that to start.
    program.process().stop();
    QTest::qSleep(5);
    QLocalSocket late;
    late.connectToServer(socketPath());
    QVERIFY2(late.waitForConnected(2000), qPrintable(late.errorString()));
    late.write("toggle\n");
    QVERIFY(late.waitForReadyRead(7000));
    QCOMPARE(late.readAll(), QByteArray("ok\n"));
    said.clear();
    QTRY_VERIFY2_WITH_TIMEOUT((said += second.readAllStandardError()).contains("from now on"), said.constData(), 5000);
}

void ControlTest::toggleEndsAnUnattendedRun()
{
    ClickRecorder recorder;
    ClickRecorder::Options options;
    options.area = kClickStrip;
    QVERIFY2(recorder.start(options), qPrintable(recorder.errorString()));
    const QString file = writeSequence(QStringLiteral("endless.tpx"), 0, {clickAt(300, 100, 200)});
    BoundedProcess program;
    program.discardStandardOutput();
    QVERIFY2(program.start(programPath(), {file}), qPrintable(program.errorString()));
    QVERIFY2(recorder.next(10000), "the run did not play");

    const ProcessOutput out = send(QStringLiteral("--toggle"));
    QVERIFY2(out.succeeded(), qPrintable(out.describe()));
    QVERIFY2(program.waitForExit(10000), "the run did not end");
    QCOMPARE(program.exitCode(), 0);
}

QUORVEL_TEST_MAIN_CORE(ControlTest)
#include "tst_control_e2e.moc"
