// The player's thread. Each step waits for its deadline, performs the next
// row and sets the deadline of the one after it: that row's delay after the
// moment this click's mouse actions ended (after a double click's pause, a
// back end's settle waits and the pointer's move back), so every row's delay
// is the wait before its own click, as with the window timer that was killed
// at the start of a step and set again at its end.
//
// Nothing the window does delays a click: the window's thread only hands
// over a changed list or repeat count and the stop, and hears of the rows
// played when it gets round to it. A click in progress is never held up by
// it either, except where the back end must read the pointer on the window's
// thread (Cursor Back on Wayland), and a stop cuts that wait short too.
#include "playback/PlaybackRun.h"

#include "sequence/CClickEntry.h"

#include <QThread>

#include <algorithm>

namespace {

// An empty list is looked at again at the last interval, but no more often
// than a window timer left to repeat fires.
constexpr std::chrono::milliseconds kEmptyListRetry{10};
// The window hears of the row played at most four times a second while the
// clicks come closer together: each time its list shows the row, the
// repaint costs the window's thread several times what the click costs this
// one. A click followed by a longer wait is told at once.
constexpr std::chrono::milliseconds kNewsEvery{250};

} // namespace

int NextRowOf(int current, int count)
{
    return current + 1 < count ? current + 1 : 0;
}

bool RepeatTargetReached(DWORD clicksDone, int rowCount, int repeatCount)
{
    return repeatCount != 0 && clicksDone >= static_cast<DWORD>(rowCount) * static_cast<DWORD>(repeatCount);
}

PlaybackRun::PlaybackRun(platform::Mouse& mouse, Start start, std::unique_ptr<PlaybackRun> previous,
                         std::function<void()> news)
    : m_mouse(mouse.openRun(m_wait)), m_previous(std::move(previous)), m_news(std::move(news)),
      m_doubleClickDelay(start.doubleClickDelay), m_started(start.started), m_rows(std::move(start.rows)),
      m_repeatCount(start.repeatCount), m_newRepeatCount(start.repeatCount)
{
    m_thread.reset(QThread::create([this] { play(); }));
    m_thread->setObjectName(QStringLiteral("quorvel-player"));
    m_thread->start(QThread::HighestPriority);
}

PlaybackRun::~PlaybackRun()
{
    stop();
    m_thread->wait();
}

void PlaybackRun::stop()
{
    m_wait.stop();
}

void PlaybackRun::setRows(PlayRows rows)
{
    const std::lock_guard<std::mutex> hold(m_lock);
    m_newRows = std::move(rows);
    m_changed = true;
}

void PlaybackRun::setRepeatCount(int repeatCount)
{
    const std::lock_guard<std::mutex> hold(m_lock);
    m_newRepeatCount = repeatCount;
    m_changed = true;
}

void PlaybackRun::takeNews()
{
    // Taken before the news are read: news that come meanwhile are told again.
    m_newsPending.exchange(false);
}

QString PlaybackRun::failure() const
{
    const std::lock_guard<std::mutex> hold(m_lock);
    return m_failure;
}

void PlaybackRun::play()
{
    // The run before this one ends first: their clicks never mix.
    m_previous.reset();
    if (const platform::Result opened = m_mouse->open(); !opened) {
        const std::lock_guard<std::mutex> hold(m_lock);
        m_failure = QString::fromStdString(opened.message);
        return finish(End::Failed);
    }
    // The list is not empty at Start, unless a file dropped while the
    // desktop asked for permission emptied it.
    std::uint32_t interval = m_rows->empty() ? 0 : m_rows->front().delay;
    Clock::time_point deadline = m_started + std::chrono::milliseconds(interval);
    while (m_wait.until(deadline)) {
        const End end = PlayNextClick(deadline, interval);
        if (end != End::Running)
            return finish(end);
    }
    finish(End::Stopped);
}

PlaybackRun::End PlaybackRun::PlayNextClick(Clock::time_point& deadline, std::uint32_t& interval)
{
    takeChanges();
    // Without rows the step does nothing, and the next looks at the last
    // interval, so playback goes on as soon as the list has rows again.
    if (m_rows->empty()) {
        deadline += std::max<Clock::duration>(std::chrono::milliseconds(interval), kEmptyListRetry);
        return End::Running;
    }
    const int i = GetNextRow(true);
    const bool whole = PerformClick((*m_rows)[static_cast<size_t>(i)]);
    const Clock::time_point clickEnd = Clock::now();
    if (!whole) {
        report(i, clickEnd);
        return End::Stopped;
    }
    if (const platform::Result status = m_mouse->status(); !status) {
        report(i, clickEnd);
        const std::lock_guard<std::mutex> hold(m_lock);
        m_failure = QString::fromStdString(status.message);
        return End::Failed;
    }
    takeChanges();
    if (RepeatTargetReached(m_nClicksDone, static_cast<int>(m_rows->size()), m_repeatCount)) {
        report(i, clickEnd);
        return End::Done;
    }
    // A list emptied during the click has no next row: a delay of 0.
    const int j = GetNextRow(false);
    interval = j < static_cast<int>(m_rows->size()) ? (*m_rows)[static_cast<size_t>(j)].delay : 0;
    deadline = clickEnd + std::chrono::milliseconds(interval);
    report(i, deadline);
    return End::Running;
}

int PlaybackRun::GetNextRow(bool advance)
{
    const int next = NextRowOf(m_nCurrentRow, static_cast<int>(m_rows->size()));
    if (advance)
        m_nCurrentRow = next;
    return next;
}

bool PlaybackRun::PerformClick(const PlayRow& e)
{
    std::optional<platform::Point> saved;
    if (e.cursorBack) {
        saved = m_mouse->cursorPos();
        if (!saved && !m_wait.stopped())
            m_positionUnknown = true;
    }
    if (m_wait.stopped())
        return false;
    m_mouse->setCursorPos(e.x, e.y);
    bool clicked = true;
    switch (e.clickType) {
    case SingleLeftClick:
        clicked = ClickLeft();
        break;
    case SingleRightClick:
        clicked = ClickRight();
        break;
    case DoubleLeftClick:
        clicked = DoubleClickLeft();
        break;
    case DoubleRightClick:
        clicked = DoubleClickRight();
        break;
    default:
        break;
    }
    // After a stop nothing more is played, not even the move back. A
    // position that could not be read is not guessed: the pointer stays
    // where it clicked.
    if (clicked && saved && !m_wait.stopped())
        m_mouse->setCursorPos(saved->x, saved->y);
    m_mouse->flush();
    if (clicked)
        m_nClicksDone += 1;
    return clicked && !m_wait.stopped();
}

void PlaybackRun::takeChanges()
{
    if (!m_changed.exchange(false))
        return;
    const std::lock_guard<std::mutex> hold(m_lock);
    if (m_newRows)
        m_rows = std::move(m_newRows);
    m_repeatCount = m_newRepeatCount;
}

void PlaybackRun::report(int row, Clock::time_point next)
{
    m_shownRow = row;
    m_shownClicks = m_nClicksDone;
    const Clock::time_point now = Clock::now();
    if (now - m_lastTold < kNewsEvery && next - now < kNewsEvery)
        return;
    m_lastTold = now;
    tellNews();
}

void PlaybackRun::tellNews()
{
    if (!m_newsPending.exchange(true))
        m_news();
}

void PlaybackRun::finish(End end)
{
    // The run's connection closes on its thread, after all it sent.
    m_mouse.reset();
    m_end = end;
    tellNews();
}
