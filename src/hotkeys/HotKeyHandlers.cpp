// The main window's hot-key and settings handlers.
#include "app/CClickerApp.h"
#include "framework/MessageBox.h"
#include "hotkeys/CHotKeyStore.h"
#include "hotkeys/ModifierReleaseWait.h"
#include "hotkeys/Profile.h"
#include "platform/Platform.h"

#include <QPointer>

namespace {

struct HotKeyInfo {
    int id;
    const QString& name;
    const char* loadFailure;
    const char* storeFailure;
};

const HotKeyInfo kGetMousePos{
    1, profile::kGetMousePos,
    "Failed to Load HotKey for getting Mouse Cursor Position, Last Error %u.\n"
    "Please do try another key or contact application support team with the error.",
    "Failed to Store HotKey for getting Mouse Cursor Position, Last Error %u.\n"
    "Please do try another key or contact application support team with the error."};

const HotKeyInfo kStartStop{
    2, profile::kStopMouseClicks,
    "Failed to Load HotKey to Start / Stop Mouse Clicks, Last Error %u.\n"
    "Please do try another key or contact application support team with the error.",
    "Failed to Store HotKey to Start / Stop Mouse Clicks, Last Error %u.\n"
    "Please do try another key or contact application support team with the error."};

QString withError(const char* format, unsigned error)
{
    return QString::fromUtf8(format).replace(QStringLiteral("%u"), QString::number(error));
}

// The last error of a failed profile write: access denied, as Windows
// reports a key it may not write.
constexpr unsigned kProfileWriteError = 5;

// The lParam that marks the start signal of an unattended run. A real press
// carries the modifiers and a key that is never 0, so it is never 2.
constexpr LPARAM kStartSignal = 2;

void reportLoadFailure(CClickerDlg* dlg, const HotKeyInfo& info, const platform::Result& result)
{
    // A desktop without global keys: how to bind the program's commands there.
    if (result.error == platform::kErrorHotKeysOnlyInDesktopSettings)
        ShowMessageBox(dlg, QString::fromStdString(result.message), QString(), MB_ICONINFORMATION);
    else
        ShowMessageBox(dlg, withError(info.loadFailure, result.error), QString(), MB_ICONHAND);
}

void loadHotKey(CClickerDlg* dlg, CHotKeyCtrl& control, const HotKeyInfo& info)
{
    CHotKeyStore store;
    WORD virtualKey = 0, controlModifiers = 0, systemModifiers = 0;
    store.LoadHotKey(info.name, virtualKey, controlModifiers, systemModifiers);
    control.SetHotKey(static_cast<WORD>(virtualKey & 0xFF), static_cast<WORD>(controlModifiers & 0xFF));
    CHotKeyStore::Unregister(dlg, info.id);
    if (virtualKey == 0)
        return;
    const platform::Result result = CHotKeyStore::Register(dlg, info.id, systemModifiers, virtualKey);
    // A desktop without global keys is told about at Assign, not at every start.
    if (!result && result.error != platform::kErrorHotKeysOnlyInDesktopSettings)
        reportLoadFailure(dlg, info, result);
}

void assignHotKey(CClickerDlg* dlg, CHotKeyCtrl& control, const HotKeyInfo& info)
{
    WORD virtualKey = 0, controlModifiers = 0;
    control.GetHotKey(virtualKey, controlModifiers);
    CHotKeyStore store;
    if (!store.StoreHotKey(info.name, virtualKey, controlModifiers)) {
        ShowMessageBox(dlg, withError(info.storeFailure, kProfileWriteError), QString(), MB_ICONHAND);
        return;
    }
    // Both hot keys are registered again from the profile. The one assigned
    // here, when it cannot be (another program holds the combination, or the
    // other hot key took it first), is said at once, as at start, rather than
    // left to be found out when its key does nothing. The other one's failure
    // was said when it was assigned or loaded and is not repeated.
    const std::array<platform::Result, 2> results = store.RegisterAll(dlg);
    const platform::Result& own = results[static_cast<std::size_t>(info.id - 1)];
    if (!own)
        reportLoadFailure(dlg, info, own);
}

// A press of the start/stop hot key. Stopping happens at once; a start
// waits until the hot key's modifier keys are up, so that the first clicks
// are not Ctrl- or Alt-clicks. A second press while the start waits takes
// the start back.
void startStopFromHotKey(CClickerDlg* dlg)
{
    auto* wait = dlg->findChild<ModifierReleaseWait*>(QString(), Qt::FindDirectChildrenOnly);
    if (!wait)
        wait = new ModifierReleaseWait(dlg);
    if (wait->isPending()) {
        wait->cancel();
        return;
    }
    if (dlg->m_bRunning) {
        dlg->OnStartStop();
        return;
    }
    QPointer<CClickerDlg> target(dlg);
    wait->run([target] {
        // The Start button may have started playback in the meantime.
        if (target && target->IsWindow() && !target->m_bRunning)
            target->OnStartStop();
    });
}

// The start signal of an unattended run found nothing to play. Without a
// notification-area icon the window is then the only way to the program,
// so it is brought up.
void showWhenStartFailedWithoutTray(CClickerDlg* dlg)
{
    if (dlg->m_bRunning || !dlg->IsWindow())
        return;
    const CClickerApp* app = CClickerApp::instance();
    if (app && app->m_trayIcon.IsShown())
        return;
    dlg->ShowWindow(SW_RESTORE);
    dlg->activateWindow();
}

} // namespace

void CClickerDlg::LoadHotKeys()
{
    loadHotKey(this, m_hotKeyGetMousePos, kGetMousePos);
    loadHotKey(this, m_hotKeyStartStop, kStartStop);
}

void CClickerDlg::OnAssignGetMousePos()
{
    assignHotKey(this, m_hotKeyGetMousePos, kGetMousePos);
}

void CClickerDlg::OnAssignStartStop()
{
    assignHotKey(this, m_hotKeyStartStop, kStartStop);
}

void CClickerDlg::OnClearGetMousePos()
{
    m_hotKeyGetMousePos.SetHotKey(0, 0);
    OnAssignGetMousePos();
}

void CClickerDlg::OnClearStartStop()
{
    m_hotKeyStartStop.SetHotKey(0, 0);
    OnAssignStartStop();
}

void CClickerDlg::CaptureCursorPos()
{
    const std::optional<platform::Point> position = ReadCursorPos();
    UpdateData(TRUE);
    if (position) {
        m_editEntry.m_x = static_cast<DWORD>(position->x);
        m_editEntry.m_y = static_cast<DWORD>(position->y);
    }
    UpdateData(FALSE);
}

void CClickerDlg::OnShowOnHotKeyPress()
{
    UpdateData(TRUE);
    m_settings.SetShowOnHotKeyPress(m_bShowOnHotKeyPress);
}

LRESULT CClickerDlg::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_HOTKEY) {
        if (wParam == 1) {
            CaptureCursorPos();
            if (m_bShowOnHotKeyPress) {
                ShowWindow(SW_RESTORE);
                activateWindow();
                raise();
                setFocus(Qt::OtherFocusReason);
            }
        } else if (wParam == 2) {
            if (lParam == kStartSignal) {
                m_bCloseWhenDone = TRUE;
                OnStartStop();
                showWhenStartFailedWithoutTray(this);
            } else {
                startStopFromHotKey(this);
            }
        }
    }
    return CDialog::DefWindowProc(message, wParam, lParam);
}
