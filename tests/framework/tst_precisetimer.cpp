// The dialog's window timers on the precise timer: each arming fires once
// when the handler re-arms it, a killed timer stays silent (even one that
// was already due), several ids run side by side, and no timer ever fires
// before its deadline on the monotonic clock. Only lower bounds on time are
// checked, and waits are long, so a busy machine cannot fail these.
#include "framework/CDialog.h"
#include "support/TestEnvironment.h"

#include <QtTest>

#include <vector>

using Clock = PreciseTimer::Clock;
using std::chrono::milliseconds;

namespace {

// A dialog that notes every WM_TIMER; ids in `oneShot` are killed by their
// handler, and `rearm` re-arms id 1 that many more times.
class TimerDialog : public CDialog {
public:
    TimerDialog() : CDialog(0) {}
    struct Fire {
        UINT id;
        Clock::time_point at;
    };
    std::vector<Fire> fires;
    std::vector<UINT> oneShot;
    int rearm = 0;
    UINT rearmInterval = 1;
    std::vector<Clock::time_point> deadlines; // of id 1's armings by the handler

protected:
    void OnTimer(UINT id) override
    {
        const Clock::time_point now = Clock::now();
        fires.push_back({id, now});
        if (std::find(oneShot.begin(), oneShot.end(), id) != oneShot.end())
            KillTimer(id);
        if (id == 1 && rearm > 0) {
            --rearm;
            deadlines.push_back(now + milliseconds(rearmInterval));
            SetTimer(1, rearmInterval, now);
        }
    }
};

int firesOf(const TimerDialog& dlg, UINT id)
{
    return static_cast<int>(std::count_if(dlg.fires.begin(), dlg.fires.end(), [id](auto& f) { return f.id == id; }));
}

} // namespace

class PreciseTimerTest : public QObject {
    Q_OBJECT
private slots:
    void eachArmingFiresOnceAndNeverEarly();
    void killAndReArm();
    void severalIdsAtOnce();
    void startPointAndRepeatFloor();
};

void PreciseTimerTest::eachArmingFiresOnceAndNeverEarly()
{
    TimerDialog dlg;
    dlg.oneShot = {1};
    dlg.rearm = 40;
    const Clock::time_point first = Clock::now() + milliseconds(3);
    dlg.deadlines.push_back(first);
    dlg.SetTimer(1, 3);
    QTRY_COMPARE_WITH_TIMEOUT(dlg.fires.size(), size_t(41), 10000);
    QTest::qWait(50);
    QCOMPARE(dlg.fires.size(), size_t(41)); // the last arming was killed by its handler
    for (size_t i = 0; i < dlg.fires.size(); ++i)
        QVERIFY2(dlg.fires[i].at >= dlg.deadlines[i], qPrintable(QString("fire %1 came early").arg(i)));
    QVERIFY(!dlg.IsTimerActive(1));
}

void PreciseTimerTest::killAndReArm()
{
    TimerDialog dlg;
    dlg.oneShot = {1};
    dlg.SetTimer(1, 30);
    QCOMPARE(dlg.TimerInterval(1), 30);
    QVERIFY(dlg.KillTimer(1));
    QVERIFY(!dlg.KillTimer(1)); // nothing left to kill
    QTest::qWait(80);
    QCOMPARE(dlg.fires.size(), size_t(0));

    // Due, but killed before the event loop got to it: still silent.
    dlg.SetTimer(1, 0);
    const Clock::time_point due = Clock::now() + milliseconds(5);
    while (Clock::now() < due) {
    }
    dlg.KillTimer(1);
    QTest::qWait(50);
    QCOMPARE(dlg.fires.size(), size_t(0));

    // Armed again before it fired: the later deadline replaces the earlier.
    dlg.SetTimer(1, 5);
    const Clock::time_point later = Clock::now() + milliseconds(60);
    dlg.SetTimer(1, 60);
    QTRY_COMPARE_WITH_TIMEOUT(dlg.fires.size(), size_t(1), 5000);
    QVERIFY(dlg.fires[0].at >= later);
}

void PreciseTimerTest::severalIdsAtOnce()
{
    TimerDialog dlg;
    dlg.oneShot = {1, 2, 3};
    const Clock::time_point start = Clock::now();
    dlg.SetTimer(1, 90);
    dlg.SetTimer(2, 10);
    dlg.SetTimer(3, 50);
    QTRY_COMPARE_WITH_TIMEOUT(dlg.fires.size(), size_t(3), 10000);
    const UINT expected[] = {2, 3, 1};
    const int delays[] = {10, 50, 90};
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(dlg.fires[static_cast<size_t>(i)].id, expected[i]);
        QVERIFY(dlg.fires[static_cast<size_t>(i)].at >= start + milliseconds(delays[i]));
    }
    QTest::qWait(50);
    QCOMPARE(dlg.fires.size(), size_t(3));
}

void PreciseTimerTest::startPointAndRepeatFloor()
{
    // Counted from a moment long past: due at once, well before a timer
    // of two seconds armed beside it.
    TimerDialog dlg;
    dlg.oneShot = {1, 2};
    dlg.SetTimer(2, 2000);
    dlg.SetTimer(1, 1000, Clock::now() - std::chrono::hours(1));
    QTRY_COMPARE_WITH_TIMEOUT(firesOf(dlg, 1), 1, 1500);
    QCOMPARE(firesOf(dlg, 2), 0);
    dlg.KillTimer(2);

    // Left to repeat, an interval of 0 fires no more than every 10 ms.
    dlg.fires.clear();
    dlg.oneShot.clear();
    const Clock::time_point start = Clock::now();
    dlg.SetTimer(1, 0);
    QTest::qWait(200);
    dlg.KillTimer(1);
    const auto elapsed = std::chrono::duration_cast<milliseconds>(Clock::now() - start).count();
    QVERIFY(firesOf(dlg, 1) >= 1);
    QVERIFY2(firesOf(dlg, 1) <= elapsed / 10 + 1,
             qPrintable(QString("%1 fires in %2 ms").arg(firesOf(dlg, 1)).arg(elapsed)));
}

QUORVEL_TEST_MAIN(PreciseTimerTest)
#include "tst_precisetimer.moc"
