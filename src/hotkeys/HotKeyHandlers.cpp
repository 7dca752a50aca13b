// The main window's hot-key and settings handlers.
#include "app/CClickerDlg.h"
#include "framework/MessageBox.h"
#include "hotkeys/CHotKeyStore.h"
#include "hotkeys/Profile.h"
#include "platform/Platform.h"

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
    if (!result)
        ShowMessageBox(dlg, withError(info.loadFailure, result.error), QString(), MB_ICONHAND);
}

void assignHotKey(CClickerDlg* dlg, CHotKeyCtrl& control, const HotKeyInfo& info)
{
    WORD virtualKey = 0, controlModifiers = 0;
    control.GetHotKey(virtualKey, controlModifiers);
    CHotKeyStore store;
    if (store.StoreHotKey(info.name, virtualKey, controlModifiers)) {
        store.RegisterAll(dlg);
        return;
    }
    ShowMessageBox(dlg, withError(info.storeFailure, kProfileWriteError), QString(), MB_ICONHAND);
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
    const platform::Point position = platform::current().mouse().cursorPos();
    UpdateData(TRUE);
    m_editEntry.m_x = static_cast<DWORD>(position.x);
    m_editEntry.m_y = static_cast<DWORD>(position.y);
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
            if (lParam == 2)
                m_bCloseWhenDone = TRUE;
            OnStartStop();
        }
    }
    return CDialog::DefWindowProc(message, wParam, lParam);
}
