// The player, on its own thread, against the recording platform: which rows
// are clicked, in which order, how many times, with which pauses, what the
// window shows, and that a stop cuts every wait short.
#include "app/ControlAccess.h"
#include "res/Resource.h"
#include "support/DialogFixture.h"
#include "support/TestEnvironment.h"

#include <QLocalSocket>
#include <QPushButton>
#include <QThread>
#include <QtTest>

using namespace quorvel::test;
using platform::Button;
using platform::ButtonAction;
using platform::fake::Event;

namespace {

// The positions the pointer was moved to for clicks, in order.
std::vector<QPoint> moves(const platform::fake::RecordingMouse& mouse)
{
    std::vector<QPoint> out;
    for (const Event& e : mouse.eventsNow())
        if (e.kind == Event::Kind::Move)
            out.emplace_back(e.x, e.y);
    return out;
}

int selectedRow(CClickerDlg& dlg)
{
    int count = 0;
    return dlg.GetSelectedRow(count);
}

// Starts playback and waits until it has ended by itself; whether it did.
bool playToTheEnd(CClickerDlg& dlg)
{
    dlg.OnStartStop();
    return QTest::qWaitFor([&dlg] { return !dlg.m_bRunning; }, 10000);
}

// Waits, without letting the window's thread handle anything, until the
// run's thread has ended; whether it did within `ms`.
bool runEndsOnItsOwn(CClickerDlg& dlg, int ms)
{
    QElapsedTimer waited;
    waited.start();
    while (dlg.m_run && dlg.m_run->end() == PlaybackRun::End::Running) {
        if (waited.elapsed() > ms)
            return false;
        QThread::msleep(1);
    }
    return true;
}

// Waits, as above, until `seen` holds for the events recorded so far.
bool recorded(platform::fake::RecordingMouse& mouse, const std::function<bool(const std::vector<Event>&)>& seen)
{
    QElapsedTimer waited;
    waited.start();
    while (!seen(mouse.eventsNow())) {
        if (waited.elapsed() > 5000)
            return false;
        QThread::msleep(1);
    }
    QThread::msleep(50); // the run is now inside the wait that follows
    return true;
}

constexpr int kEditingControls[] = {IDC_ADD, IDC_UPDATE, IDC_MOVE_UP, IDC_MOVE_DOWN, IDC_DELETE,
                                     IDC_DELETE_ALL, IDC_LOAD_CLICKS, IDC_SAVE_CLICKS, IDC_CLICK_LIST};
constexpr int kStayEnabled[] = {IDC_X, IDC_Y, IDC_CLICK_TYPE, IDC_CURSOR_BACK, IDC_DELAY, IDC_REPEAT_COUNT,
                                IDC_HOTKEY_GET_MOUSE_POS, IDC_ASSIGN_GET_MOUSE_POS, IDC_CLEAR_GET_MOUSE_POS,
                                IDC_SHOW_ON_HOTKEY_PRESS, IDC_HOTKEY_START_STOP, IDC_ASSIGN_START_STOP,
                                IDC_CLEAR_START_STOP, IDC_START_STOP};

} // namespace

class PlayerTest : public QObject {
    Q_OBJECT
private slots:
    void threeRowsTwiceThenStop();
    void repeatZeroRunsUntilStopped();
    void stopAndStartBeginsAtTheFirstRow();
    void unknownClickTypeMovesButDoesNotClick();
    void doubleClickPausesInside();
    void eachDelayCountsFromTheEndOfTheClickBefore();
    void cursorBackReturnsToWhereThePointerWas();
    void eachClickReachesTheSystemInOneGo();
    void cursorBackWithoutAPositionStaysAndSaysSoOnce();
    void emptyListAtStart();
    void listEmptiedDuringPlayback();
    void listReplacedDuringPlayback();
    void controlsWhileRunning();
    void nextRowAndRepeatTarget();
    void closeWhenDonePostsClose();
    void toggleDuringThePauseStopsBeforeTheNextRow();
    void aStopCutsEveryWaitShort_data();
    void aStopCutsEveryWaitShort();
    void pointerTakenAwayStopsWithAMessage();
};

void PlayerTest::threeRowsTwiceThenStop()
{
    DialogFixture f;
    f.start();
    CClickerDlg& dlg = f.dlg();
    dlg.InsertClickRow(-1, makeEntry(10, 11, 0, 0, 5));
    dlg.InsertClickRow(-1, makeEntry(20, 21, 1, 0, 10));
    dlg.InsertClickRow(-1, makeEntry(30, 31, 0, 0, 15));
    setControlText(dlg, IDC_REPEAT_COUNT, QStringLiteral("2"));
    QVERIFY(playToTheEnd(dlg));
    QTest::qWait(50); // nothing comes after the sixth click
    QCOMPARE(dlg.GetDlgItemText(IDC_START_STOP), QStringLiteral("S&tart"));
    QCOMPARE(selectedRow(dlg), 2);
    QCOMPARE(moves(f.platform.mouse()),
             (std::vector<QPoint>{{10, 11}, {20, 21}, {30, 31}, {10, 11}, {20, 21}, {30, 31}}));
    QCOMPARE(f.platform.mouse().clicks(Button::Left), 4);
    QCOMPARE(f.platform.mouse().clicks(Button::Right), 2);
    QCOMPARE(dlg.m_nClicksDone, 6u);
    QCOMPARE(dlg.m_nCurrentRow, 2);
    QVERIFY(f.boxes.shown.empty());
}

void PlayerTest::repeatZeroRunsUntilStopped()
{
    DialogFixture f;
    f.start();
    CClickerDlg& dlg = f.dlg();
    dlg.InsertClickRow(-1, makeEntry(7, 7, 0, 0, 1));
    dlg.OnStartStop();
    QTRY_VERIFY_WITH_TIMEOUT(f.platform.mouse().clicks(Button::Left) >= 100, 10000);
    QVERIFY(dlg.m_bRunning);
    dlg.OnStartStop();
    QVERIFY(!dlg.m_bRunning);
    QVERIFY(runEndsOnItsOwn(dlg, 2000));
    const int clicks = f.platform.mouse().clicks(Button::Left);
    QTest::qWait(30);
    QCOMPARE(f.platform.mouse().clicks(Button::Left), clicks);
    QCOMPARE(dlg.m_nClicksDone, static_cast<DWORD>(clicks)); // the run's own count, as it ended
}

void PlayerTest::stopAndStartBeginsAtTheFirstRow()
{
    DialogFixture f;
    f.start();
    CClickerDlg& dlg = f.dlg();
    dlg.InsertClickRow(-1, makeEntry(1, 1, 0, 0, 0));
    dlg.InsertClickRow(-1, makeEntry(2, 2, 0, 0, 0));
    dlg.InsertClickRow(-1, makeEntry(3, 3, 0, 0, 600000));
    dlg.OnStartStop();
    QTRY_COMPARE_WITH_TIMEOUT(dlg.m_nClicksDone, 2u, 5000);
    dlg.OnStartStop();
    QTRY_VERIFY(!dlg.m_run);        // ended, and the window has heard it
    QCOMPARE(dlg.m_nCurrentRow, 1); // a stop leaves the counters as they are
    QCOMPARE(dlg.m_nClicksDone, 2u);
    f.platform.mouse().clear();
    dlg.OnStartStop();
    QCOMPARE(dlg.m_nClicksDone, 0u);
    QTRY_COMPARE(moves(f.platform.mouse()).size(), size_t(2));
    QCOMPARE(moves(f.platform.mouse()).front(), QPoint(1, 1));
    // Stopped and started again at once: the stopped run, which may not have
    // ended yet, ends before the new one plays.
    dlg.OnStartStop();
    f.platform.mouse().clear();
    dlg.OnStartStop();
    QTRY_COMPARE(moves(f.platform.mouse()).size(), size_t(2));
    QCOMPARE(moves(f.platform.mouse()), (std::vector<QPoint>{{1, 1}, {2, 2}}));
    QTRY_COMPARE(dlg.m_nClicksDone, 2u);
}

void PlayerTest::unknownClickTypeMovesButDoesNotClick()
{
    DialogFixture f;
    f.start();
    CClickerDlg& dlg = f.dlg();
    dlg.InsertClickRow(-1, makeEntry(40, 41, 7, 0, 5));
    dlg.InsertClickRow(-1, makeEntry(50, 51, -1, 1, 5));
    setControlText(dlg, IDC_REPEAT_COUNT, QStringLiteral("1"));
    f.platform.mouse().position = {5, 6};
    QVERIFY(playToTheEnd(dlg)); // both counted towards the target
    QVERIFY(f.platform.mouse().buttonEvents().empty());
    QCOMPARE(moves(f.platform.mouse()), (std::vector<QPoint>{{40, 41}, {50, 51}, {40, 41}}));
}

void PlayerTest::doubleClickPausesInside()
{
    DialogFixture f;
    f.start();
    CClickerDlg& dlg = f.dlg();
    dlg.InsertClickRow(-1, makeEntry(60, 61, 2, 0, 5));
    dlg.InsertClickRow(-1, makeEntry(70, 71, 3, 0, 5));
    dlg.InsertClickRow(-1, makeEntry(80, 81, 1, 0, 5));
    setControlText(dlg, IDC_REPEAT_COUNT, QStringLiteral("1"));
    QVERIFY(playToTheEnd(dlg));
    std::vector<QString> seen;
    for (const Event& e : f.platform.mouse().eventsNow()) {
        if (e.kind == Event::Kind::Button)
            seen.push_back(QStringLiteral("%1%2")
                               .arg(e.button == Button::Left ? 'L' : 'R')
                               .arg(e.action == ButtonAction::Down ? "down" : "up"));
        else if (e.kind == Event::Kind::Pause)
            seen.push_back(QStringLiteral("pause%1").arg(e.ms));
    }
    const std::vector<QString> expected = {"Ldown", "Lup",   "pause10", "Ldown", "Lup",  "Rdown", "Rup",
                                           "pause10", "Rdown", "Rup",  "Rdown",   "Rup"};
    QCOMPARE(seen, expected);
}

void PlayerTest::eachDelayCountsFromTheEndOfTheClickBefore()
{
    // Stamped where the run makes them: a click's first event comes no sooner
    // than its delay after the last event of the click before it (whose pause
    // and settle waits belong to it), the first one its delay after Start.
    DialogFixture f;
    f.start();
    CClickerDlg& dlg = f.dlg();
    platform::fake::RecordingMouse& mouse = f.platform.mouse();
    mouse.motionSettleMs = 2;
    for (std::uint32_t i = 0; i < 12; ++i)
        dlg.InsertClickRow(-1, makeEntry(i, 0, i % 3 == 0 ? DoubleLeftClick : SingleLeftClick, 0, 3));
    setControlText(dlg, IDC_REPEAT_COUNT, QStringLiteral("1"));
    std::chrono::steady_clock::time_point last = std::chrono::steady_clock::now();
    QVERIFY(playToTheEnd(dlg));
    int clicks = 0;
    for (const Event& e : mouse.eventsNow()) {
        if (e.kind == Event::Kind::Move) {
            ++clicks;
            QVERIFY2(e.time >= last + std::chrono::milliseconds(3), qPrintable(QString("click %1 early").arg(clicks)));
        }
        last = e.time;
    }
    QCOMPARE(clicks, 12);
}

void PlayerTest::cursorBackReturnsToWhereThePointerWas()
{
    DialogFixture f;
    f.start();
    CClickerDlg& dlg = f.dlg();
    dlg.InsertClickRow(-1, makeEntry(100, 100, 0, 0, 5));
    dlg.InsertClickRow(-1, makeEntry(200, 200, 0, 1, 5));
    // Left of and above the primary screen, as a captured position may be.
    dlg.InsertClickRow(-1, makeEntry(4294967196u, 4294967286u, 0, 1, 5));
    setControlText(dlg, IDC_REPEAT_COUNT, QStringLiteral("1"));
    f.platform.mouse().position = {500, 400};
    QVERIFY(playToTheEnd(dlg));
    QCOMPARE(moves(f.platform.mouse()),
             (std::vector<QPoint>{{100, 100}, {200, 200}, {100, 100}, {-100, -10}, {100, 100}}));
    QCOMPARE(f.platform.mouse().position, (platform::Point{100, 100}));
    // Without cursor back the position was never read.
    QCOMPARE(f.platform.mouse().eventsNow().front().kind, Event::Kind::Move);
}

void PlayerTest::eachClickReachesTheSystemInOneGo()
{
    // A click's moves and buttons reach the system together (one write on
    // the run's X connection), parted only by a double click's pause.
    DialogFixture f;
    f.start();
    CClickerDlg& dlg = f.dlg();
    dlg.InsertClickRow(-1, makeEntry(10, 10, 2, 1, 5));
    dlg.InsertClickRow(-1, makeEntry(20, 20, 1, 0, 5));
    setControlText(dlg, IDC_REPEAT_COUNT, QStringLiteral("1"));
    QVERIFY(playToTheEnd(dlg));
    QCOMPARE(f.platform.mouse().eventsNow().size(), size_t(11));
    QCOMPARE(f.platform.mouse().flushes, 3);
}

void PlayerTest::cursorBackWithoutAPositionStaysAndSaysSoOnce()
{
    DialogFixture f;
    f.start();
    CClickerDlg& dlg = f.dlg();
    dlg.InsertClickRow(-1, makeEntry(100, 100, 0, 1, 5));
    dlg.InsertClickRow(-1, makeEntry(200, 200, 1, 1, 5));
    setControlText(dlg, IDC_REPEAT_COUNT, QStringLiteral("2"));
    f.platform.mouse().positionKnown = false; // a desktop that does not tell it
    QVERIFY(playToTheEnd(dlg));
    processPostedEvents();
    // Clicked where asked, and never moved back to a made-up place.
    QCOMPARE(moves(f.platform.mouse()), (std::vector<QPoint>{{100, 100}, {200, 200}, {100, 100}, {200, 200}}));
    QCOMPARE(f.platform.mouse().clicks(Button::Left), 2);
    QCOMPARE(f.platform.mouse().clicks(Button::Right), 2);
    QCOMPARE(f.boxes.texts().size(), 1);
    QVERIFY2(f.boxes.texts().front().contains("cannot be read"), qPrintable(f.boxes.texts().front()));
}

void PlayerTest::emptyListAtStart()
{
    DialogFixture f;
    f.start();
    CClickerDlg& dlg = f.dlg();
    dlg.OnStartStop();
    QCOMPARE(f.boxes.texts(), QStringList{QStringLiteral("Please Add or Load Mouse Clicks to continue.")});
    QVERIFY(!dlg.m_bRunning);
    QVERIFY(!dlg.m_run);
    QCOMPARE(dlg.GetDlgItemText(IDC_START_STOP), QStringLiteral("S&tart"));
    QVERIFY(dlg.GetDlgItem(IDC_ADD)->isEnabled());
}

void PlayerTest::listEmptiedDuringPlayback()
{
    DialogFixture f;
    f.start();
    CClickerDlg& dlg = f.dlg();
    dlg.InsertClickRow(-1, makeEntry(1, 1, 0, 0, 0));
    dlg.InsertClickRow(-1, makeEntry(2, 2, 0, 0, 600));
    dlg.OnStartStop();
    QTRY_COMPARE(moves(f.platform.mouse()).size(), size_t(1));
    dlg.m_list.DeleteAllItems();
    QTest::qWait(1000);
    QVERIFY(dlg.m_bRunning);
    QCOMPARE(dlg.GetDlgItemText(IDC_START_STOP), QStringLiteral("S&top"));
    QCOMPARE(moves(f.platform.mouse()).size(), size_t(1));
    dlg.InsertClickRow(-1, makeEntry(9, 9, 0, 0, 600000));
    QTRY_COMPARE(moves(f.platform.mouse()).size(), size_t(2)); // goes on when rows come back
    QCOMPARE(moves(f.platform.mouse()).back(), QPoint(9, 9));
}

void PlayerTest::listReplacedDuringPlayback()
{
    DialogFixture f;
    f.start();
    CClickerDlg& dlg = f.dlg();
    const auto replace = [&dlg](std::initializer_list<std::uint32_t> xs) {
        dlg.m_list.DeleteAllItems();
        for (std::uint32_t x : xs)
            dlg.InsertClickRow(-1, makeEntry(x, 0, 0, 0, 700));
    };
    dlg.InsertClickRow(-1, makeEntry(0, 0, 0, 0, 0));
    dlg.InsertClickRow(-1, makeEntry(1, 0, 0, 0, 700));
    dlg.InsertClickRow(-1, makeEntry(2, 0, 0, 0, 700));
    dlg.OnStartStop();
    QTRY_COMPARE(moves(f.platform.mouse()).size(), size_t(1)); // row 0
    replace({100, 101, 102, 103});
    QTRY_COMPARE_WITH_TIMEOUT(moves(f.platform.mouse()).size(), size_t(2), 5000);
    QCOMPARE(moves(f.platform.mouse()).back(), QPoint(101, 0)); // the next index of the new list
    QTRY_COMPARE_WITH_TIMEOUT(moves(f.platform.mouse()).size(), size_t(4), 5000); // rows 2, 3 of the new list
    replace({200, 201});
    QTRY_COMPARE_WITH_TIMEOUT(moves(f.platform.mouse()).size(), size_t(5), 5000);
    QCOMPARE(moves(f.platform.mouse()).back(), QPoint(200, 0)); // past the end: row 0
}

void PlayerTest::controlsWhileRunning()
{
    DialogFixture f;
    f.start();
    CClickerDlg& dlg = f.dlg();
    dlg.InsertClickRow(-1, makeEntry(1, 1, 0, 0, 5000));
    qobject_cast<QPushButton*>(dlg.GetDlgItem(IDC_START_STOP))->click();
    QCOMPARE(dlg.GetDlgItemText(IDC_START_STOP), QStringLiteral("S&top"));
    for (int id : kEditingControls)
        QVERIFY2(!dlg.GetDlgItem(id)->isEnabled(), qPrintable(QString::number(id)));
    for (int id : kStayEnabled)
        QVERIFY2(dlg.GetDlgItem(id)->isEnabled(), qPrintable(QString::number(id)));
    qobject_cast<QPushButton*>(dlg.GetDlgItem(IDC_START_STOP))->click();
    for (int id : kEditingControls)
        QVERIFY(dlg.GetDlgItem(id)->isEnabled());
    QCOMPARE(dlg.GetDlgItemText(IDC_START_STOP), QStringLiteral("S&tart"));
}

void PlayerTest::nextRowAndRepeatTarget()
{
    QCOMPARE(NextRowOf(-1, 3), 0);
    QCOMPARE(NextRowOf(1, 3), 2);
    QCOMPARE(NextRowOf(2, 3), 0);
    QCOMPARE(NextRowOf(5, 2), 0); // a list that shrank: back to the first row, no modulo
    QVERIFY(!RepeatTargetReached(5, 3, 2));
    QVERIFY(RepeatTargetReached(6, 3, 2));
    QVERIFY(!RepeatTargetReached(0xFFFFFFFFu, 3, 0)); // 0: until stopped
    QVERIFY(RepeatTargetReached(0xFFFFFFF0u, 1, 3));  // negative as a signed number
    QVERIFY(RepeatTargetReached(0, 0, 1));            // an emptied list
    QVERIFY(!RepeatTargetReached(100, 70000, 70000)); // the product wraps at 32 bits
}

void PlayerTest::closeWhenDonePostsClose()
{
    DialogFixture f;
    f.start();
    CClickerDlg& dlg = f.dlg();
    dlg.InsertClickRow(-1, makeEntry(1, 1, 0, 0, 5));
    dlg.m_modified = 0;
    setControlText(dlg, IDC_REPEAT_COUNT, QStringLiteral("1"));
    dlg.m_bCloseWhenDone = TRUE;
    dlg.OnStartStop();
    QTRY_VERIFY(!dlg.IsWindow());
    QCOMPARE(f.platform.mouse().clicks(Button::Left), 1);
}

void PlayerTest::toggleDuringThePauseStopsBeforeTheNextRow()
{
    // `quorvel --toggle` arrives during a double click's pause; the next row,
    // with delay 0, is due as soon as the pause ends. The stop came first, so
    // it wins: no click follows it.
    DialogFixture f;
    f.start();
    CClickerDlg& dlg = f.dlg();
    dlg.InsertClickRow(-1, makeEntry(300, 100, DoubleLeftClick, 0, 0));
    dlg.InsertClickRow(-1, makeEntry(600, 100, SingleLeftClick, 0, 0));
    setControlText(dlg, IDC_REPEAT_COUNT, QStringLiteral("0"));
    QLocalSocket toggle;
    f.platform.mouse().duringPause = [&toggle] {
        QString problem;
        toggle.connectToServer(control::SocketPath(problem));
        toggle.write("toggle\n");
        toggle.waitForBytesWritten(1000);
    };
    dlg.OnStartStop();
    QTRY_VERIFY_WITH_TIMEOUT(!dlg.m_bRunning, 5000); // endless: only the toggle stops it
    QTest::qWait(30);
    QCOMPARE(moves(f.platform.mouse()), std::vector<QPoint>{QPoint(300, 100)});
}

void PlayerTest::aStopCutsEveryWaitShort_data()
{
    // Each wait far longer than the test; the run is stopped once it is in
    // it, and must end at once, with every press released and nothing played
    // after the stop.
    QTest::addColumn<int>("clickType");
    QTest::addColumn<std::uint32_t>("secondDelay");
    QTest::addColumn<QByteArray>("profile");
    QTest::addColumn<int>("cursorBack");
    QTest::addColumn<std::uint32_t>("motionSettleMs");
    QTest::addColumn<std::uint32_t>("pressHoldMs");
    QTest::addColumn<int>("eventsInTheWait"); // recorded when the run is in the wait
    QTest::newRow("row delay") << 0 << 600000u << QByteArray() << 0 << 0u << 0u << 3;
    QTest::newRow("double click's pause")
        << int(DoubleLeftClick) << 0u << QByteArray("DoubleClickDelay=5000\n") << 0 << 0u << 0u << 4;
    QTest::newRow("settle after the motion") << 0 << 0u << QByteArray() << 0 << 600000u << 0u << 1;
    QTest::newRow("press held") << 0 << 0u << QByteArray() << 0 << 0u << 600000u << 2;
    QTest::newRow("position read by the window's thread") << 0 << 0u << QByteArray() << 1 << 0u << 0u << 1;
}

void PlayerTest::aStopCutsEveryWaitShort()
{
    QFETCH(int, clickType);
    QFETCH(std::uint32_t, secondDelay);
    QFETCH(QByteArray, profile);
    QFETCH(int, cursorBack);
    QFETCH(std::uint32_t, motionSettleMs);
    QFETCH(std::uint32_t, pressHoldMs);
    QFETCH(int, eventsInTheWait);
    QVERIFY(writeProfile(profile));
    DialogFixture f;
    f.start();
    CClickerDlg& dlg = f.dlg();
    platform::fake::RecordingMouse& mouse = f.platform.mouse();
    mouse.motionSettleMs = motionSettleMs;
    mouse.pressHoldMs = pressHoldMs;
    mouse.positionOnWindowThread = true;
    dlg.InsertClickRow(-1, makeEntry(10, 10, clickType, cursorBack, 0));
    dlg.InsertClickRow(-1, makeEntry(20, 20, SingleLeftClick, 0, secondDelay));
    dlg.OnStartStop();
    // The window's thread handles nothing from here on: the run must end
    // without it.
    QVERIFY(recorded(
        mouse, [&](const std::vector<Event>& events) { return static_cast<int>(events.size()) >= eventsInTheWait; }));
    const size_t beforeStop = mouse.eventsNow().size();
    dlg.OnStartStop();
    QVERIFY2(runEndsOnItsOwn(dlg, 2000), "the stop did not end the wait");
    const std::vector<Event> events = mouse.eventsNow();
    QVERIFY(events.size() <= beforeStop + 1);
    if (events.size() > beforeStop)
        QVERIFY(events.back().isUp(Button::Left)); // only the release of a held press
    QCOMPARE(mouse.clicks(Button::Left) * 2, static_cast<int>(mouse.buttonEvents().size()));
    for (const Event& e : events)
        QVERIFY(e.kind != Event::Kind::Move || e.x == 10);
    processPostedEvents();
    QVERIFY(!dlg.m_run);
    QCOMPARE(dlg.GetDlgItemText(IDC_START_STOP), QStringLiteral("S&tart"));
}

void PlayerTest::pointerTakenAwayStopsWithAMessage()
{
    DialogFixture f;
    f.start();
    CClickerDlg& dlg = f.dlg();
    f.platform.mouse().takenAfterFlushes = 1;
    dlg.InsertClickRow(-1, makeEntry(10, 10, 0, 0, 0));
    dlg.InsertClickRow(-1, makeEntry(20, 20, 0, 0, 0));
    dlg.OnStartStop();
    QTRY_VERIFY(!dlg.m_bRunning);
    QCOMPARE(f.boxes.texts(),
             QStringList{QStringLiteral("Mouse clicks stopped: the desktop ended the control of the pointer.")});
    QCOMPARE(moves(f.platform.mouse()).size(), size_t(1));
    QCOMPARE(dlg.GetDlgItemText(IDC_START_STOP), QStringLiteral("S&tart"));
}

QUORVEL_TEST_MAIN(PlayerTest)
#include "tst_player.moc"
