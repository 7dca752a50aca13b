// The player against the recording platform: which rows are clicked, in
// which order, how many times, with which pauses, and what the window shows.
#include "app/ControlAccess.h"
#include "res/Resource.h"
#include "support/DialogFixture.h"
#include "support/TestEnvironment.h"

#include <QLocalSocket>
#include <QPushButton>
#include <QtTest>

using namespace quorvel::test;
using platform::Button;
using platform::fake::Event;

namespace {

// The positions the pointer was moved to for clicks, in order.
std::vector<QPoint> moves(const platform::fake::RecordingMouse& mouse)
{
    std::vector<QPoint> out;
    for (const Event& e : mouse.events)
        if (e.kind == Event::Kind::Move)
            out.emplace_back(e.x, e.y);
    return out;
}

// One timer step, as timer 1 firing.
void step(CClickerDlg& dlg, int times = 1)
{
    for (int i = 0; i < times; ++i)
        dlg.SendMessage(WM_TIMER, 1, 0);
}

int selectedRow(CClickerDlg& dlg)
{
    int count = 0;
    return dlg.GetSelectedRow(count);
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
    void repeatOncePlaysEachRowOnce();
    void repeatZeroRunsUntilStopped();
    void stopAndStartBeginsAtTheFirstRow();
    void unknownClickTypeMovesButDoesNotClick();
    void doubleClickPausesInside();
    void cursorBackReturnsToWhereThePointerWas();
    void eachStepIsOneGatheredClick();
    void cursorBackWithoutAPositionStaysAndSaysSoOnce();
    void emptyListAtStart();
    void listEmptiedDuringPlayback();
    void listReplacedDuringPlayback();
    void controlsWhileRunning();
    void clicksDoneComparedUnsigned();
    void closeWhenDonePostsClose();
    void realTimerPlaysOnItsOwn();
    void toggleDuringThePauseStopsBeforeTheNextRow();
};

void PlayerTest::threeRowsTwiceThenStop()
{
    DialogFixture f;
    f.start();
    CClickerDlg& dlg = f.dlg();
    dlg.InsertClickRow(-1, makeEntry(10, 11, 0, 0, 100));
    dlg.InsertClickRow(-1, makeEntry(20, 21, 1, 0, 200));
    dlg.InsertClickRow(-1, makeEntry(30, 31, 0, 0, 300));
    setControlText(dlg, IDC_REPEAT_COUNT, QStringLiteral("2"));
    dlg.OnStartStop();
    QVERIFY(dlg.m_bRunning);
    QCOMPARE(dlg.TimerInterval(1), 100); // the first click comes row 0's delay after the start
    QCOMPARE(selectedRow(dlg), 0);

    const int expectedDelays[] = {200, 300, 100, 200, 300};
    for (int i = 0; i < 5; ++i) {
        step(dlg);
        QVERIFY(dlg.IsTimerActive(1));
        QCOMPARE(dlg.TimerInterval(1), expectedDelays[i]); // re-armed with the next row's delay
        QCOMPARE(selectedRow(dlg), i % 3);
    }
    step(dlg);
    QVERIFY(!dlg.m_bRunning);
    QVERIFY(!dlg.IsTimerActive(1));
    QCOMPARE(dlg.GetDlgItemText(IDC_START_STOP), QStringLiteral("S&tart"));
    QCOMPARE(selectedRow(dlg), 2);
    QCOMPARE(moves(f.platform.mouse()),
             (std::vector<QPoint>{{10, 11}, {20, 21}, {30, 31}, {10, 11}, {20, 21}, {30, 31}}));
    QCOMPARE(f.platform.mouse().clicks(Button::Left), 4);
    QCOMPARE(f.platform.mouse().clicks(Button::Right), 2);
    QCOMPARE(dlg.m_nClicksDone, 6u);
    step(dlg); // a late timer message changes nothing more
    QCOMPARE(moves(f.platform.mouse()).size(), size_t(7)); // (it does play: the list has rows)
    QVERIFY(f.boxes.shown.empty());
}

void PlayerTest::repeatOncePlaysEachRowOnce()
{
    DialogFixture f;
    f.start();
    CClickerDlg& dlg = f.dlg();
    for (int i = 0; i < 4; ++i)
        dlg.InsertClickRow(-1, makeEntry(i, i, 0, 0, 5));
    setControlText(dlg, IDC_REPEAT_COUNT, QStringLiteral("1"));
    dlg.OnStartStop();
    step(dlg, 4);
    QVERIFY(!dlg.m_bRunning);
    QCOMPARE(f.platform.mouse().clicks(Button::Left), 4);
}

void PlayerTest::repeatZeroRunsUntilStopped()
{
    DialogFixture f;
    f.start();
    CClickerDlg& dlg = f.dlg();
    dlg.InsertClickRow(-1, makeEntry(7, 7, 0, 0, 50));
    dlg.OnStartStop();
    step(dlg, 250);
    QVERIFY(dlg.m_bRunning);
    QCOMPARE(f.platform.mouse().clicks(Button::Left), 250);
    QCOMPARE(dlg.TimerInterval(1), 50);
    dlg.OnStartStop();
    QVERIFY(!dlg.m_bRunning);
    QVERIFY(!dlg.IsTimerActive(1));
}

void PlayerTest::stopAndStartBeginsAtTheFirstRow()
{
    DialogFixture f;
    f.start();
    CClickerDlg& dlg = f.dlg();
    dlg.InsertClickRow(-1, makeEntry(1, 1));
    dlg.InsertClickRow(-1, makeEntry(2, 2));
    dlg.InsertClickRow(-1, makeEntry(3, 3));
    dlg.OnStartStop();
    step(dlg, 2);
    dlg.OnStartStop();
    QCOMPARE(dlg.m_nCurrentRow, 1); // a stop leaves the counters as they are
    QCOMPARE(dlg.m_nClicksDone, 2u);
    f.platform.mouse().clear();
    dlg.OnStartStop();
    QCOMPARE(dlg.m_nClicksDone, 0u);
    step(dlg);
    QCOMPARE(moves(f.platform.mouse()), std::vector<QPoint>{QPoint(1, 1)});
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
    dlg.OnStartStop();
    step(dlg, 2);
    QVERIFY(!dlg.m_bRunning); // both counted towards the target
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
    dlg.OnStartStop();
    step(dlg, 3);
    std::vector<QString> seen;
    for (const Event& e : f.platform.mouse().events) {
        if (e.kind == Event::Kind::Button)
            seen.push_back(QStringLiteral("%1%2").arg(e.button == Button::Left ? 'L' : 'R').arg(
                e.action == platform::ButtonAction::Down ? "down" : "up"));
        else if (e.kind == Event::Kind::Pause)
            seen.push_back(QStringLiteral("pause%1").arg(e.ms));
    }
    const std::vector<QString> expected = {"Ldown", "Lup",   "pause10", "Ldown", "Lup",  "Rdown", "Rup",
                                           "pause10", "Rdown", "Rup",  "Rdown",   "Rup"};
    QCOMPARE(seen, expected);
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
    f.platform.mouse().position = {500, 400};
    dlg.OnStartStop();
    step(dlg, 3);
    QCOMPARE(moves(f.platform.mouse()),
             (std::vector<QPoint>{{100, 100}, {200, 200}, {100, 100}, {-100, -10}, {100, 100}}));
    QCOMPARE(f.platform.mouse().position, (platform::Point{100, 100}));
    // Without cursor back the position was never read.
    QCOMPARE(f.platform.mouse().events.front().kind, Event::Kind::Move);
}

void PlayerTest::eachStepIsOneGatheredClick()
{
    // The pointer's moves, the buttons and the pause of a step reach the
    // system as one click (one flush of the X connection).
    DialogFixture f;
    f.start();
    CClickerDlg& dlg = f.dlg();
    dlg.InsertClickRow(-1, makeEntry(10, 10, 2, 1, 5));
    dlg.InsertClickRow(-1, makeEntry(20, 20, 1, 0, 5));
    dlg.OnStartStop();
    step(dlg, 2);
    QCOMPARE(f.platform.mouse().clicksGathered, 2);
    QCOMPARE(f.platform.mouse().events.size(), size_t(11));
    for (const Event& e : f.platform.mouse().events)
        QVERIFY(e.inClick);
}

void PlayerTest::cursorBackWithoutAPositionStaysAndSaysSoOnce()
{
    DialogFixture f;
    f.start();
    CClickerDlg& dlg = f.dlg();
    dlg.InsertClickRow(-1, makeEntry(100, 100, 0, 1, 5));
    dlg.InsertClickRow(-1, makeEntry(200, 200, 1, 1, 5));
    f.platform.mouse().positionKnown = false; // a desktop that does not tell it
    dlg.OnStartStop();
    step(dlg, 2);
    // Clicked where asked, and never moved back to a made-up place.
    QCOMPARE(moves(f.platform.mouse()), (std::vector<QPoint>{{100, 100}, {200, 200}}));
    QCOMPARE(f.platform.mouse().clicks(Button::Left), 1);
    QCOMPARE(f.platform.mouse().clicks(Button::Right), 1);
    QVERIFY(f.boxes.shown.empty()); // said after the step, not in the middle of it
    processPostedEvents();
    step(dlg, 2);
    processPostedEvents();
    QCOMPARE(f.boxes.texts().size(), 1);
    QVERIFY2(f.boxes.texts().front().contains("cannot be read"), qPrintable(f.boxes.texts().front()));
    QVERIFY(dlg.m_bRunning);
}

void PlayerTest::emptyListAtStart()
{
    DialogFixture f;
    f.start();
    CClickerDlg& dlg = f.dlg();
    dlg.OnStartStop();
    QCOMPARE(f.boxes.texts(), QStringList{QStringLiteral("Please Add or Load Mouse Clicks to continue.")});
    QVERIFY(!dlg.m_bRunning);
    QVERIFY(!dlg.IsTimerActive(1));
    QCOMPARE(dlg.GetDlgItemText(IDC_START_STOP), QStringLiteral("S&tart"));
    QVERIFY(dlg.GetDlgItem(IDC_ADD)->isEnabled());
}

void PlayerTest::listEmptiedDuringPlayback()
{
    DialogFixture f;
    f.start();
    CClickerDlg& dlg = f.dlg();
    dlg.InsertClickRow(-1, makeEntry(1, 1, 0, 0, 30));
    dlg.InsertClickRow(-1, makeEntry(2, 2, 0, 0, 40));
    dlg.OnStartStop();
    step(dlg);
    dlg.m_list.DeleteAllItems();
    step(dlg, 3);
    QVERIFY(dlg.m_bRunning);
    QCOMPARE(dlg.GetDlgItemText(IDC_START_STOP), QStringLiteral("S&top"));
    QVERIFY(dlg.IsTimerActive(1)); // keeps firing at its last interval
    QCOMPARE(dlg.TimerInterval(1), 40);
    QCOMPARE(moves(f.platform.mouse()).size(), size_t(1));
    dlg.InsertClickRow(-1, makeEntry(9, 9, 0, 0, 30));
    step(dlg);
    QCOMPARE(moves(f.platform.mouse()).back(), QPoint(9, 9)); // goes on when rows come back
}

void PlayerTest::listReplacedDuringPlayback()
{
    DialogFixture f;
    f.start();
    CClickerDlg& dlg = f.dlg();
    for (int i = 0; i < 3; ++i)
        dlg.InsertClickRow(-1, makeEntry(i, 0, 0, 0, 5));
    dlg.OnStartStop();
    step(dlg); // row 0
    dlg.m_list.DeleteAllItems();
    for (int i = 0; i < 4; ++i)
        dlg.InsertClickRow(-1, makeEntry(100 + i, 0, 0, 0, 5));
    step(dlg);
    QCOMPARE(moves(f.platform.mouse()).back(), QPoint(101, 0)); // the next index of the new list
    step(dlg, 2); // rows 2, 3 of the new list
    dlg.m_list.DeleteAllItems();
    dlg.InsertClickRow(-1, makeEntry(200, 0, 0, 0, 5));
    dlg.InsertClickRow(-1, makeEntry(201, 0, 0, 0, 5));
    step(dlg);
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

void PlayerTest::clicksDoneComparedUnsigned()
{
    DialogFixture f;
    f.start();
    CClickerDlg& dlg = f.dlg();
    dlg.InsertClickRow(-1, makeEntry(1, 1, 0, 0, 5));
    setControlText(dlg, IDC_REPEAT_COUNT, QStringLiteral("3"));
    dlg.OnStartStop();
    dlg.m_nClicksDone = 0xFFFFFFF0u; // negative as a signed number
    step(dlg);
    QVERIFY(!dlg.m_bRunning);
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
    step(dlg);
    QVERIFY(!dlg.m_bRunning);
    QVERIFY(dlg.IsWindow()); // the close is posted, not run inside the step
    processPostedEvents();
    QVERIFY(!dlg.IsWindow());
}

void PlayerTest::realTimerPlaysOnItsOwn()
{
    DialogFixture f;
    f.start();
    CClickerDlg& dlg = f.dlg();
    dlg.InsertClickRow(-1, makeEntry(1, 2, 0, 0, 1));
    dlg.InsertClickRow(-1, makeEntry(3, 4, 1, 0, 0));
    setControlText(dlg, IDC_REPEAT_COUNT, QStringLiteral("5"));
    dlg.OnStartStop();
    QTRY_VERIFY_WITH_TIMEOUT(!dlg.m_bRunning, 5000);
    QCOMPARE(f.platform.mouse().clicks(Button::Left), 5);
    QCOMPARE(f.platform.mouse().clicks(Button::Right), 5);
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

QUORVEL_TEST_MAIN(PlayerTest)
#include "tst_player.moc"
