// The dialog's window timers on the precise timer, on the system's timer and
// on Qt's. Every tick is stamped in its handler and compared with its
// deadline. Only lower bounds on time are checked, with long waits, so a busy
// machine cannot fail these.
#include "framework/CDialog.h"
#include "support/TestEnvironment.h"

#include <QtTest>

using Clock = PreciseTimer::Clock;
using std::chrono::milliseconds;

namespace {

// Notes every WM_TIMER; a handler kills its timer, and re-arms id 1 while
// `rearm` lasts, noting each new deadline.
class TimerDialog : public CDialog {
public:
    TimerDialog() : CDialog(0) {}
    std::vector<std::pair<UINT, Clock::time_point>> fires;
    std::vector<Clock::time_point> deadlines;
    bool kill = true;
    int rearm = 0;

protected:
    void OnTimer(UINT id) override
    {
        const Clock::time_point now = Clock::now();
        fires.emplace_back(id, now);
        if (kill)
            KillTimer(id);
        if (id == 1 && rearm-- > 0) {
            deadlines.push_back(now + milliseconds(1));
            SetTimer(1, 1, now);
        }
    }
};

} // namespace

class PreciseTimerTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase_data();
    void init();
    void oneFirePerArmingNeverEarly();
    void killAndReArm();
    void severalIdsAtOnce();
    void repeatsNoFasterThanTenMs();
};

void PreciseTimerTest::initTestCase_data()
{
    QTest::addColumn<bool>("systemTimer");
    QTest::newRow("system timer") << true;
    QTest::newRow("Qt timer") << false;
}

void PreciseTimerTest::init()
{
    QFETCH_GLOBAL(bool, systemTimer);
    if (systemTimer)
        qunsetenv("QUORVEL_QT_TIMERS");
    else
        qputenv("QUORVEL_QT_TIMERS", "1");
}

void PreciseTimerTest::oneFirePerArmingNeverEarly()
{
    TimerDialog dlg;
    dlg.rearm = 40;
    dlg.deadlines.push_back(Clock::now() + milliseconds(3));
    dlg.SetTimer(1, 3);
    QTRY_COMPARE_WITH_TIMEOUT(dlg.fires.size(), size_t(41), 10000);
    QTest::qWait(50);
    QCOMPARE(dlg.fires.size(), size_t(41));
    for (size_t i = 0; i < dlg.fires.size(); ++i)
        QVERIFY2(dlg.fires[i].second >= dlg.deadlines[i], qPrintable(QString("fire %1 came early").arg(i)));
}

void PreciseTimerTest::killAndReArm()
{
    TimerDialog dlg;
    dlg.SetTimer(1, 30);
    QVERIFY(dlg.KillTimer(1));
    QVERIFY(!dlg.KillTimer(1));
    // Due, but killed before the event loop got to it.
    dlg.SetTimer(2, 0);
    for (const Clock::time_point due = Clock::now() + milliseconds(5); Clock::now() < due;) {
    }
    dlg.KillTimer(2);
    QTest::qWait(80);
    QVERIFY(dlg.fires.empty());

    // Armed again before it fired: the later deadline replaces the earlier;
    // a deadline counted from a moment long past is due at once.
    dlg.SetTimer(1, 5);
    const Clock::time_point later = Clock::now() + milliseconds(300);
    dlg.SetTimer(1, 300);
    dlg.SetTimer(3, 1000, Clock::now() - std::chrono::hours(2));
    QTRY_COMPARE_WITH_TIMEOUT(dlg.fires.size(), size_t(2), 5000);
    QCOMPARE(dlg.fires[0].first, 3u);
    QCOMPARE(dlg.fires[1].first, 1u);
    QVERIFY(dlg.fires[1].second >= later);
}

void PreciseTimerTest::severalIdsAtOnce()
{
    TimerDialog dlg;
    const Clock::time_point start = Clock::now();
    dlg.SetTimer(1, 90);
    dlg.SetTimer(2, 10);
    dlg.SetTimer(3, 50);
    QTRY_COMPARE_WITH_TIMEOUT(dlg.fires.size(), size_t(3), 10000);
    const std::pair<UINT, int> expected[] = {{2, 10}, {3, 50}, {1, 90}};
    for (size_t i = 0; i < 3; ++i) {
        QCOMPARE(dlg.fires[i].first, expected[i].first);
        QVERIFY(dlg.fires[i].second >= start + milliseconds(expected[i].second));
    }
}

void PreciseTimerTest::repeatsNoFasterThanTenMs()
{
    // Left to repeat, as during playback of an empty list.
    TimerDialog dlg;
    dlg.kill = false;
    const Clock::time_point start = Clock::now();
    dlg.SetTimer(1, 0);
    QTest::qWait(200);
    dlg.KillTimer(1);
    const auto elapsed = std::chrono::duration_cast<milliseconds>(Clock::now() - start).count();
    QVERIFY(!dlg.fires.empty());
    QVERIFY2(static_cast<long long>(dlg.fires.size()) <= elapsed / 10 + 1,
             qPrintable(QString("%1 fires in %2 ms").arg(dlg.fires.size()).arg(elapsed)));
}

QUORVEL_TEST_MAIN(PreciseTimerTest)
#include "tst_precisetimer.moc"
