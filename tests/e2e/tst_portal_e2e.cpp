// The real program clicking through the desktop portal, against a stand-in
// portal on a private session bus that records every call: an unattended run
// moves and presses in order with the double click's pause, the desktop's
// restore token is kept for the next run (a portal of the first version is
// asked to keep nothing), a refusal plays nothing and ends
// the run, and the
// start/stop hot key bound as a global shortcut starts and stops playback.
#include "support/Desktop.h"
#include "support/E2eSession.h"
#include "support/SessionBus.h"
#include "support/TestEnvironment.h"
#include "support/XvfbServer.h"

#include <QtTest>

#include <memory>

using namespace quorvel::test;

namespace {

// One call the portal saw: its time in microseconds and its text.
struct Call {
    qint64 us = 0;
    QString text;
};

QString fakePortalPath()
{
    return qEnvironmentVariable("QUORVEL_BUILD_DIR") + QStringLiteral("/fakeportal");
}

// The calls whose text starts with one of `prefixes`, in order.
std::vector<Call> only(const std::vector<Call>& calls, const QStringList& prefixes)
{
    std::vector<Call> kept;
    for (const Call& call : calls)
        for (const QString& prefix : prefixes)
            if (call.text.startsWith(prefix)) {
                kept.push_back(call);
                break;
            }
    return kept;
}

QStringList textsOf(const std::vector<Call>& calls)
{
    QStringList texts;
    for (const Call& call : calls)
        texts << call.text;
    return texts;
}

CClickEntry row(int x, int y, int clickType)
{
    CClickEntry e = clickAt(x, y, 100);
    e.m_clickType = clickType;
    return e;
}

} // namespace

class PortalEndToEndTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void unattendedRunClicksInOrderAndKeepsTheToken();
    void aFirstVersionPortalIsAskedToRememberNothing();
    void aRefusalPlaysNothing_data();
    void aRefusalPlaysNothing();
    void theStartStopShortcutStartsAndStops();

private:
    bool startPortal(const QStringList& arguments = {});
    // The portal's calls until `last` has come (or the time is up), and then
    // for `quietMs` more.
    std::vector<Call> callsUntil(const QString& last, int timeoutMs, int quietMs = 0);

    std::unique_ptr<XvfbServer> m_server;
    std::unique_ptr<SessionBus> m_bus;
    std::unique_ptr<BoundedProcess> m_portal;
};

void PortalEndToEndTest::init()
{
    m_server = std::make_unique<XvfbServer>();
    QVERIFY2(m_server->isRunning(), qPrintable(m_server->errorString()));
    m_server->exportDisplay();
    m_bus = std::make_unique<SessionBus>();
    QVERIFY2(m_bus->start(), qPrintable(m_bus->errorString()));
    qputenv("QUORVEL_BACKEND", "portal");
}

void PortalEndToEndTest::cleanup()
{
    m_portal.reset();
    m_bus.reset();
    m_server.reset();
    qunsetenv("QUORVEL_BACKEND");
}

bool PortalEndToEndTest::startPortal(const QStringList& arguments)
{
    m_portal = std::make_unique<BoundedProcess>();
    return m_portal->start(fakePortalPath(), arguments) && m_portal->readLine(10000) == QByteArray("ready");
}

std::vector<Call> PortalEndToEndTest::callsUntil(const QString& last, int timeoutMs, int quietMs)
{
    std::vector<Call> calls;
    QDeadlineTimer deadline(timeoutMs);
    bool seen = false;
    while (true) {
        const qint64 wait = seen ? quietMs : deadline.remainingTime();
        if (wait <= 0)
            break;
        const auto line = m_portal->readLine(static_cast<int>(wait));
        if (!line)
            break;
        const int space = line->indexOf(' ');
        calls.push_back({line->left(space).toLongLong(), QString::fromUtf8(line->mid(space + 1))});
        seen = seen || calls.back().text.startsWith(last);
    }
    return calls;
}

void PortalEndToEndTest::unattendedRunClicksInOrderAndKeepsTheToken()
{
    QVERIFY(writeProfile("DoubleClickDelay=150\n"));
    QVERIFY(startPortal());
    const QString file =
        writeSequence(QStringLiteral("three.tpx"), 1, {row(300, 100, 0), row(600, 150, 1), row(900, 200, 2)});
    const QStringList session{"RemoteDesktop.CreateSession", "SelectDevices", "SelectSources", "Start"};
    const QStringList clicks{
        "NotifyPointerMotionAbsolute stream=44 x=300 y=100", "NotifyPointerButton button=272 state=1",
        "NotifyPointerButton button=272 state=0",            "NotifyPointerMotionAbsolute stream=44 x=600 y=150",
        "NotifyPointerButton button=273 state=1",            "NotifyPointerButton button=273 state=0",
        "NotifyPointerMotionAbsolute stream=44 x=900 y=200", "NotifyPointerButton button=272 state=1",
        "NotifyPointerButton button=272 state=0",            "NotifyPointerButton button=272 state=1",
        "NotifyPointerButton button=272 state=0"};

    for (int run = 1; run <= 2; ++run) {
        ProcessOutput program = runBounded(programPath(), {file}, 20000);
        QVERIFY2(program.succeeded(), qPrintable(program.describe()));
        const std::vector<Call> calls = callsUntil(QStringLiteral("Close"), 5000);
        const std::vector<Call> played = only(calls, session + QStringList{"Notify"});
        QStringList expected{"RemoteDesktop.CreateSession",
                             run == 1 ? "SelectDevices persist_mode=2 types=2"
                                      : "SelectDevices persist_mode=2 restore_token=token-1 types=2",
                             "SelectSources multiple=true types=1", "Start"};
        QCOMPARE(textsOf(played), expected + clicks);
        // The double click's two clicks are apart by the pause between them.
        const qint64 pauseUs = played.at(13).us - played.at(12).us;
        QVERIFY2(pauseUs >= 140000, qPrintable(QString::number(pauseUs)));
        QCOMPARE(profileValue(QStringLiteral("RemoteDesktopRestoreToken")), QStringLiteral("token-%1").arg(run));
    }
}

void PortalEndToEndTest::aFirstVersionPortalIsAskedToRememberNothing()
{
    // A token kept from a newer portal is not offered to one that cannot
    // take it, and no permission is asked to be kept.
    QVERIFY(writeProfile("RemoteDesktopRestoreToken=token-9\n"));
    QVERIFY(startPortal({"--remote-desktop-version", "1"}));
    const QString file = writeSequence(QStringLiteral("one.tpx"), 1, {clickAt(300, 100, 100)});
    ProcessOutput program = runBounded(programPath(), {file}, 20000);
    QVERIFY2(program.succeeded(), qPrintable(program.describe()));
    const std::vector<Call> calls = only(callsUntil(QStringLiteral("Close"), 5000), {"SelectDevices", "Notify"});
    QCOMPARE(textsOf(calls), QStringList({"SelectDevices types=2", "NotifyPointerMotionAbsolute stream=44 x=300 y=100",
                                          "NotifyPointerButton button=272 state=1",
                                          "NotifyPointerButton button=272 state=0"}));
    QCOMPARE(profileValue(QStringLiteral("RemoteDesktopRestoreToken")), QStringLiteral("token-9"));
}

void PortalEndToEndTest::aRefusalPlaysNothing_data()
{
    QTest::addColumn<QString>("portalOption");
    QTest::newRow("refused") << "--deny";
    QTest::newRow("no pointer granted") << "--no-pointer";
}

void PortalEndToEndTest::aRefusalPlaysNothing()
{
    QFETCH(QString, portalOption);
    QVERIFY(writeProfile(""));
    QVERIFY(startPortal({portalOption}));
    const QString file = writeSequence(QStringLiteral("one.tpx"), 1, {clickAt(300, 100, 100)});
    BoundedProcess program;
    QVERIFY2(program.start(programPath(), {file}), qPrintable(program.errorString()));
    // The unattended run says why in a box, and ends once it is answered.
    QVERIFY2(answerMessageBox(), "no message box to answer");
    QVERIFY2(program.waitForExit(10000), "the run did not end");
    QCOMPARE(program.exitCode(), 1);
    const QString errors = QString::fromUtf8(program.readAllStandardError());
    QVERIFY2(errors.contains(QStringLiteral("Mouse clicks cannot be played: the control of the pointer was refused")),
             qPrintable(errors));

    const std::vector<Call> calls = callsUntil(QStringLiteral("Start"), 5000, 500);
    QVERIFY2(!calls.empty() && calls.back().text.startsWith(QStringLiteral("Close")),
             qPrintable(textsOf(calls).join(" | "))); // the refused session is closed
    QVERIFY2(only(calls, {"Notify"}).empty(), qPrintable(textsOf(calls).join(" | ")));
    QVERIFY(profileValue(QStringLiteral("RemoteDesktopRestoreToken")).isEmpty());
}

void PortalEndToEndTest::theStartStopShortcutStartsAndStops()
{
    // Ctrl+Alt+S as the start/stop hot key.
    QVERIFY(writeProfile("StopMouseClicks%20Key=83\nStopMouseClicks%20Mod=3\n"));
    QVERIFY(startPortal());
    RunningProgram program;
    QVERIFY2(program.start(), "the main window did not appear");
    QVERIFY(program.addRow(300, 100, 500));
    const std::vector<Call> bound = callsUntil(QStringLiteral("BindShortcuts"), 10000);
    QVERIFY2(textsOf(bound).contains(QStringLiteral("BindShortcuts hotkey-2=CTRL+ALT+s")),
             qPrintable(textsOf(bound).join(" | ")));

    QVERIFY(m_portal->write("activate hotkey-2\n"));
    const std::vector<Call> started = callsUntil(QStringLiteral("NotifyPointerButton button=272 state=0"), 10000);
    QVERIFY2(!only(started, {"NotifyPointerMotionAbsolute stream=44 x=300 y=100"}).empty(),
             qPrintable(textsOf(started).join(" | ")));

    QVERIFY(m_portal->write("activate hotkey-2\n"));
    const std::vector<Call> after = callsUntil(QStringLiteral("Activated"), 5000, 800);
    const auto stop = std::find_if(after.begin(), after.end(),
                                   [](const Call& c) { return c.text.startsWith(QStringLiteral("Activated")); });
    QVERIFY(stop != after.end());
    QVERIFY2(only(std::vector<Call>(stop, after.end()), {"Notify"}).empty(), qPrintable(textsOf(after).join(" | ")));
    QVERIFY(program.process().isRunning());
}

QUORVEL_TEST_MAIN_CORE(PortalEndToEndTest)
#include "tst_portal_e2e.moc"
