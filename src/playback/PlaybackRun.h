// One playback run on a thread of its own. The window's thread starts it with
// what to play, may hand it a changed list or repeat count, and stops it; the
// run tells it, through one callback, that it has news: the row it played
// (coalesced, so that thousands of clicks a second do not flood the window),
// that the pointer's position could not be read, and its end.
//
// The schedule is the window timer's of the single-threaded player: the
// first row's delay counts from Start, each next row's delay from the end of
// the previous click (its settle waits and pause included); rows and the
// repeat count are read as they are at each step. Every wait is on an
// absolute deadline and ends at once on a stop, after which the run releases
// any button it pressed and plays nothing more.
#pragma once

#include "framework/Win32Types.h"
#include "platform/Platform.h"

#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

class QThread;

// One row as the player performs it.
struct PlayRow {
    std::uint32_t delay = 0;
    int x = 0;
    int y = 0;
    bool cursorBack = false;
    int clickType = 0;
};
using PlayRows = std::shared_ptr<const std::vector<PlayRow>>;

// The row after `current` in a list of `count` rows, wrapping to 0. An index
// past the end of a list that has shrunk goes straight back to 0.
int NextRowOf(int current, int count);
// Whether `clicksDone` reach rows × repeat count (repeat count not 0), in
// 32-bit unsigned arithmetic.
bool RepeatTargetReached(DWORD clicksDone, int rowCount, int repeatCount);

class PlaybackRun {
public:
    using Clock = std::chrono::steady_clock;

    struct Start {
        PlayRows rows;
        int repeatCount = 0;
        std::uint32_t doubleClickDelay = 10;
        Clock::time_point started; // the first row's delay counts from here
    };
    enum class End { Running, Stopped, Done, Failed };

    // Opens the mouse for the run and starts the thread. `previous`, a run
    // that was stopped and may still be ending, ends before this one plays.
    // `news` is called on the run's thread; it must only pass the news on.
    PlaybackRun(platform::Mouse& mouse, Start start, std::unique_ptr<PlaybackRun> previous, std::function<void()> news);
    // Stops the run and waits for its thread.
    ~PlaybackRun();
    PlaybackRun(const PlaybackRun&) = delete;
    PlaybackRun& operator=(const PlaybackRun&) = delete;

    // From the window's thread; each takes effect at the run's next step.
    void stop();
    void setRows(PlayRows rows);
    void setRepeatCount(int repeatCount);

    // Reading the news, on the window's thread: first take them, then read.
    void takeNews();
    int currentRow() const { return m_shownRow.load(); }
    DWORD clicksDone() const { return m_shownClicks.load(); }
    bool positionUnknown() const { return m_positionUnknown.load(); }
    End end() const { return m_end.load(); }
    // Why a failed run failed, in the user's words.
    QString failure() const;

private:
    void play();
    // One step: the next row, and the deadline of the one after it.
    End PlayNextClick(Clock::time_point& deadline, std::uint32_t& interval);
    int GetNextRow(bool advance);
    bool PerformClick(const PlayRow& e);
    // The mouse actions; false when the stop came first.
    bool ClickLeft();
    bool ClickRight();
    bool DoubleClickLeft();
    bool DoubleClickRight();
    bool click(platform::Button button);
    // The latest rows and repeat count the window's thread handed over.
    void takeChanges();
    // Tells the window's thread the row played, unless it was told less
    // than a moment ago and the next click is as near.
    void report(int row, Clock::time_point next);
    void tellNews();
    void finish(End end);

    platform::RunWait m_wait;
    std::unique_ptr<platform::MouseRun> m_mouse;
    std::unique_ptr<PlaybackRun> m_previous;
    std::function<void()> m_news;
    const std::uint32_t m_doubleClickDelay;
    const Clock::time_point m_started;

    // The run's own, on its thread.
    PlayRows m_rows;
    int m_repeatCount;
    int m_nCurrentRow = -1;
    DWORD m_nClicksDone = 0;
    Clock::time_point m_lastTold;

    // Handed over by the window's thread.
    mutable std::mutex m_lock;
    PlayRows m_newRows;
    int m_newRepeatCount;
    std::atomic<bool> m_changed{false};
    QString m_failure;

    // For the window's thread.
    std::atomic<int> m_shownRow{-1};
    std::atomic<DWORD> m_shownClicks{0};
    std::atomic<bool> m_positionUnknown{false};
    std::atomic<End> m_end{End::Running};
    std::atomic<bool> m_newsPending{false};

    std::unique_ptr<QThread> m_thread;
};
