// The player: one window timer (id 1) that fires once per click. Each step
// performs the next row and re-arms the timer with the delay of the row
// after it, so every row's delay is the wait before its own click.
//
// That wait is counted from the moment the click's mouse actions end (after
// a double click's pause and the pointer's move back), not from the end of
// the step: the list's highlight and the other work of the step then take
// nothing from it. The list follows the playing row, scrolling it into
// view, at most once per display frame and not when the next click is too
// close for a repaint; the step allocates nothing and makes no text. Short
// delays are so kept to a fraction of a millisecond with the window on
// screen.
#include "app/CClickerApp.h"
#include "framework/MessageBox.h"
#include "platform/Platform.h"
#include "res/Resource.h"

#include <QCoreApplication>

#include <cstdio>

namespace {

constexpr UINT kPlaybackTimer = 1;

// The desktop did not let the program click (it refused, or offers no way),
// or stopped letting it in the middle of a run. An unattended run has nobody
// who must answer and nothing more it can play: it says so in a box that
// closes by itself, and ends with code 1.
void reportClicksRefused(CClickerDlg* dlg, const QString& message)
{
    std::fprintf(stderr, "quorvel: %s\n", qPrintable(message));
    if (!dlg->m_bCloseWhenDone) {
        AfxMessageBox(message, MB_OK | MB_ICONHAND);
        return;
    }
    ShowMessageBox(nullptr, message, QString(), MB_OK | MB_ICONHAND, CClickerApp::kUnattendedBoxTimeoutMs);
    dlg->DestroyWindow();
    QCoreApplication::exit(1);
}

} // namespace

void CClickerDlg::OnStartStop()
{
    if (!m_bRunning) {
        UpdateData(TRUE);
        if (m_list.GetItemCount() == 0) {
            AfxMessageBox(IDS_ADD_OR_LOAD, MB_OK);
            return;
        }
        // A back end may first need the desktop's permission to click.
        if (const platform::Result ready = platform::current().mouse().beginPlayback(); !ready) {
            reportClicksRefused(
                this, QStringLiteral("Mouse clicks cannot be played: %1.").arg(QString::fromStdString(ready.message)));
            return;
        }
        m_nCurrentRow = -1;
        SelectRow(0);
        CClickEntry first;
        ReadClickRow(0, first);
        SetTimer(kPlaybackTimer, first.m_delay);
        m_nClicksDone = 0;
        m_bRunning = !m_bRunning;
        UpdatePlaybackControls();
        return;
    }
    KillTimer(kPlaybackTimer);
    platform::current().mouse().endPlayback();
    if (m_bCloseWhenDone)
        PostMessage(WM_CLOSE, 0, 0);
    m_bRunning = !m_bRunning;
    UpdatePlaybackControls();
}

void CClickerDlg::OnTimer(UINT)
{
    PlayNextClick();
}

void CClickerDlg::PlayNextClick()
{
    // With no rows the timer keeps running at its last interval (at least
    // every 10 ms), so playback goes on as soon as the list has rows again.
    if (m_list.GetItemCount() == 0)
        return;
    KillTimer(kPlaybackTimer);
    const int i = GetNextRow(TRUE);
    CClickEntry e;
    ReadClickRow(i, e);
    platform::Mouse& mouse = platform::current().mouse();
    mouse.beginClick();
    PerformClick(e);
    mouse.endClick();
    const PreciseTimer::Clock::time_point clickEnd = PreciseTimer::Clock::now();
    // The desktop took the pointer away, or the row's place is on none of
    // its screens: the run stops and says why, and an unattended run ends
    // with code 1.
    if (const platform::Result status = mouse.playbackStatus(); !status) {
        KillTimer(kPlaybackTimer);
        mouse.endPlayback();
        m_bRunning = FALSE;
        UpdatePlaybackControls();
        reportClicksRefused(this,
                            QStringLiteral("Mouse clicks stopped: %1.").arg(QString::fromStdString(status.message)));
        return;
    }
    if (m_repeatCount != 0) {
        const DWORD n = static_cast<DWORD>(m_list.GetItemCount());
        if (m_nClicksDone >= n * static_cast<DWORD>(m_repeatCount)) {
            m_list.FollowItem(i);
            OnStartStop();
            return;
        }
    }
    const int j = GetNextRow(FALSE);
    ReadClickRow(j, e);
    // The list repaints only when the next click leaves it the time.
    m_list.FollowItem(i, e.m_delay);
    SetTimer(kPlaybackTimer, e.m_delay, clickEnd);
}

int CClickerDlg::GetNextRow(BOOL advance)
{
    const int count = m_list.GetItemCount();
    if (advance) {
        m_nCurrentRow += 1;
        if (m_nCurrentRow >= count)
            m_nCurrentRow = 0;
        return m_nCurrentRow;
    }
    return m_nCurrentRow + 1 < count ? m_nCurrentRow + 1 : 0;
}

void CClickerDlg::PerformClick(CClickEntry e)
{
    platform::Mouse& mouse = platform::current().mouse();
    std::optional<platform::Point> saved;
    if (e.m_cursorBack)
        saved = ReadCursorPos();
    mouse.setCursorPos(static_cast<int>(e.m_x), static_cast<int>(e.m_y));
    switch (e.m_clickType) {
    case SingleLeftClick:
        m_utility.ClickLeft();
        break;
    case SingleRightClick:
        m_utility.ClickRight();
        break;
    case DoubleLeftClick:
        m_utility.DoubleClickLeft();
        break;
    case DoubleRightClick:
        m_utility.DoubleClickRight();
        break;
    default:
        break;
    }
    // A position that could not be read is not guessed: the pointer stays
    // where it clicked.
    if (saved)
        mouse.setCursorPos(saved->x, saved->y);
    m_nClicksDone += 1;
}

std::optional<platform::Point> CClickerDlg::ReadCursorPos()
{
    const std::optional<platform::Point> position = platform::current().mouse().cursorPos();
    if (!position && !m_cursorPosUnknownSaid) {
        m_cursorPosUnknownSaid = true;
        const QString text = QStringLiteral(
            "The mouse cursor position cannot be read on this desktop, so the hot key for getting it leaves X and "
            "Y as they are, and rows with Cursor Back leave the pointer where they clicked.");
        std::fprintf(stderr, "quorvel: %s\n", qPrintable(text));
        // Said after the current handler: a playback step runs to its end.
        QMetaObject::invokeMethod(
            this, [text] { AfxMessageBox(text, MB_OK | MB_ICONINFORMATION); }, Qt::QueuedConnection);
    }
    return position;
}

void CClickerDlg::UpdatePlaybackControls()
{
    static constexpr int kEditingControls[] = {
        IDC_ADD,        IDC_UPDATE,      IDC_MOVE_UP,     IDC_MOVE_DOWN,  IDC_DELETE,
        IDC_DELETE_ALL, IDC_LOAD_CLICKS, IDC_SAVE_CLICKS, IDC_CLICK_LIST,
    };
    for (int id : kEditingControls)
        if (QWidget* control = GetDlgItem(id))
            control->setEnabled(!m_bRunning);
    SetDlgItemText(IDC_START_STOP, m_bRunning ? QStringLiteral("S&top") : QStringLiteral("S&tart"));
}
