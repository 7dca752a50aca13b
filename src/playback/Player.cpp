// The player's side of the window: Start and Stop, and what a run tells.
//
// Each run plays on a thread of its own (PlaybackRun), which owns the mouse
// for the run and keeps the schedule; the window's thread never waits for a
// click, a pause or a desktop's answer, so a stop (the button, the hot key,
// `quorvel --toggle`, closing the window) is handled at once and cuts any
// wait of the run short. The window hands the run the list's rows when they
// change and the repeat count when the controls are read, and follows the
// row played in the list as often as the run tells it (see PlaybackRun.cpp).
#include "app/CClickerApp.h"
#include "framework/ListView.h"
#include "framework/MessageBox.h"
#include "platform/Platform.h"
#include "res/Resource.h"

#include <QCoreApplication>

#include <cstdio>

namespace {

// The desktop did not let the program click (it refused, or offers no way),
// or took the pointer away in mid-run. An unattended run has nobody who
// must answer and nothing it can play: it says so in a box that closes by
// itself, and ends with code 1.
void reportNoClicks(CClickerDlg* dlg, const QString& message)
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

QString inWords(const QString& how, const std::string& why)
{
    return how.arg(QString::fromStdString(why));
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
        platform::Mouse& mouse = platform::current().mouse();
        // A back end may first need the desktop's permission to click.
        if (const platform::Result ready = mouse.beginPlayback(); !ready) {
            reportNoClicks(this, inWords(QStringLiteral("Mouse clicks cannot be played: %1."), ready.message));
            return;
        }
        m_nCurrentRow = -1;
        SelectRow(0);
        WatchRowsForPlayback();
        PlaybackRun::Start start;
        start.started = PlaybackRun::Clock::now();
        start.rows = PlaybackRows();
        start.repeatCount = m_repeatCount;
        start.doubleClickDelay = static_cast<std::uint32_t>(m_utility.GetDoubleClickDelay());
        const unsigned serial = ++m_runSerial;
        // A stopped run that has not yet ended ends before this one plays.
        m_run = std::make_unique<PlaybackRun>(mouse, std::move(start), std::move(m_run), [this, serial] {
            QMetaObject::invokeMethod(
                this, [this, serial] { OnPlaybackNews(serial); }, Qt::QueuedConnection);
        });
        m_nClicksDone = 0;
        m_bRunning = !m_bRunning;
        UpdatePlaybackControls();
        return;
    }
    if (m_run)
        m_run->stop();
    if (m_bCloseWhenDone)
        PostMessage(WM_CLOSE, 0, 0);
    m_bRunning = !m_bRunning;
    UpdatePlaybackControls();
}

void CClickerDlg::OnPlaybackNews(unsigned serial)
{
    if (!m_run || serial != m_runSerial)
        return; // a run stopped and replaced by a later one
    m_run->takeNews();
    if (m_run->currentRow() >= 0) {
        m_nCurrentRow = m_run->currentRow();
        m_nClicksDone = m_run->clicksDone();
        m_list.FollowItem(m_nCurrentRow);
    }
    if (m_run->positionUnknown())
        SayCursorPosUnknown();
    const PlaybackRun::End end = m_run->end();
    if (end == PlaybackRun::End::Running)
        return;
    const QString failure = m_run->failure();
    m_run.reset(); // its thread has ended: this waits for nothing
    // No run follows it yet: a back end may give the desktop's permission
    // back until the next Start.
    platform::current().mouse().endPlayback();
    if (!m_bRunning)
        return; // stopped from here
    if (end != PlaybackRun::End::Failed) {
        // The repeat count was reached.
        OnStartStop();
        return;
    }
    // The window goes back to Start, and an unattended run ends by itself.
    m_bRunning = FALSE;
    UpdatePlaybackControls();
    reportNoClicks(this, QStringLiteral("Mouse clicks stopped: %1.").arg(failure));
}

PlayRows CClickerDlg::PlaybackRows()
{
    auto rows = std::make_shared<std::vector<PlayRow>>();
    const int count = m_list.GetItemCount();
    rows->reserve(static_cast<size_t>(count));
    CClickEntry e;
    for (int i = 0; i < count; ++i) {
        ReadClickRow(i, e);
        rows->push_back(
            {e.m_delay, static_cast<int>(e.m_x), static_cast<int>(e.m_y), e.m_cursorBack != 0, e.m_clickType});
    }
    return rows;
}

void CClickerDlg::WatchRowsForPlayback()
{
    if (m_watchingRows)
        return;
    m_watchingRows = true;
    // A file dropped during playback replaces the list; the run goes on with
    // the new one at its next step. The rows are read once the handler that
    // changed them has returned, whatever it changed.
    const auto changed = [this] {
        if (!m_run || m_rowsChangePosted)
            return;
        m_rowsChangePosted = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                m_rowsChangePosted = false;
                if (!m_run)
                    return;
                m_run->setRows(PlaybackRows());
                m_run->setRepeatCount(m_repeatCount);
            },
            Qt::QueuedConnection);
    };
    ListModel* model = m_list.Model();
    connect(model, &QAbstractItemModel::rowsInserted, this, changed);
    connect(model, &QAbstractItemModel::rowsRemoved, this, changed);
    connect(model, &QAbstractItemModel::modelReset, this, changed);
    connect(model, &QAbstractItemModel::dataChanged, this, changed);
}

std::optional<platform::Point> CClickerDlg::ReadCursorPos()
{
    const std::optional<platform::Point> position = platform::current().mouse().cursorPos();
    if (!position)
        SayCursorPosUnknown();
    return position;
}

void CClickerDlg::SayCursorPosUnknown()
{
    if (m_cursorPosUnknownSaid)
        return;
    m_cursorPosUnknownSaid = true;
    const QString text = QStringLiteral(
        "The mouse cursor position cannot be read on this desktop, so the hot key for getting it leaves X and "
        "Y as they are, and rows with Cursor Back leave the pointer where they clicked.");
    std::fprintf(stderr, "quorvel: %s\n", qPrintable(text));
    // Said after the current handler.
    QMetaObject::invokeMethod(
        this, [text] { AfxMessageBox(text, MB_OK | MB_ICONINFORMATION); }, Qt::QueuedConnection);
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
