// A playback run's waits on Windows: a deadline is never met early, a stop
// from another thread ends a long wait at once and every wait after it, and
// an answer from another thread ends the wait for it.
#include "TestRunner.h"
#include "platform/RunWait.h"

#include <thread>

using namespace quorvel::win32test;
using Clock = platform::RunWait::Clock;
using std::chrono::milliseconds;

int main()
{
    TestRunner runner("win32 run waits");

    runner.run("deadlines are met, never early", [] {
        platform::RunWait wait;
        for (int i = 0; i < 20; ++i) {
            const Clock::time_point deadline = Clock::now() + std::chrono::microseconds(2500);
            CHECK(wait.until(deadline));
            CHECK(Clock::now() >= deadline);
        }
    });

    runner.run("a stop from another thread ends a long wait, and every later one at once", [] {
        platform::RunWait wait;
        std::thread stopper([&wait] {
            std::this_thread::sleep_for(milliseconds(100));
            wait.stop();
        });
        const Clock::time_point start = Clock::now();
        CHECK(!wait.until(start + std::chrono::seconds(60)));
        stopper.join();
        CHECK(!wait.sleep(std::chrono::seconds(60)));
        CHECK(!wait.forWake());
        CHECK(Clock::now() - start < std::chrono::seconds(30));
    });

    runner.run("an answer from another thread ends its wait", [] {
        platform::RunWait wait;
        std::thread answer([&wait] {
            std::this_thread::sleep_for(milliseconds(50));
            wait.wake();
        });
        CHECK(wait.forWake());
        answer.join();
        CHECK(!wait.stopped());
    });

    return runner.finish();
}
