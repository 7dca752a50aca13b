// The main window's shell: construction, data exchange, initialisation, the
// message map, the window menu, Esc and destruction.
#include "app/CClickerDlg.h"

#include "app/CAboutDlg.h"
#include "app/CClickerApp.h"
#include "framework/DataExchange.h"
#include "hotkeys/CHotKeyStore.h"
#include "res/Resources.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMenu>
#include <QMimeData>
#include <QUrl>

CClickerDlg::CClickerDlg(QWidget* parent) : CDialog(IDD_CLICKER_DIALOG, parent)
{
    m_bCloseWhenDone = 0;
    m_nClicksDone = 0;
    m_nCurrentRow = -1;
    m_bRunning = 0;
    m_modified = 0;
    m_editEntry.m_serial = 0;
    m_bShowOnHotKeyPress = 0;
    m_repeatCount = 0;
}

CClickerDlg::~CClickerDlg()
{
    // The run's thread ends while the window it tells still exists.
    m_run.reset();
}

void CClickerDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_X, m_editEntry.m_x);
    DDX_Text(pDX, IDC_Y, m_editEntry.m_y);
    DDX_Check(pDX, IDC_CURSOR_BACK, m_editEntry.m_cursorBack);
    DDX_Text(pDX, IDC_DELAY, m_editEntry.m_delay);
    DDX_CBIndex(pDX, IDC_CLICK_TYPE, m_editEntry.m_clickType);
    DDX_Control(pDX, IDC_HOTKEY_START_STOP, m_hotKeyStartStop);
    DDX_Control(pDX, IDC_HOTKEY_GET_MOUSE_POS, m_hotKeyGetMousePos);
    DDX_Control(pDX, IDC_CLICK_LIST, m_list);
    DDX_Check(pDX, IDC_SHOW_ON_HOTKEY_PRESS, m_bShowOnHotKeyPress);
    DDX_Text(pDX, IDC_REPEAT_COUNT, m_repeatCount);
    DDV_MinMaxInt(pDX, m_repeatCount, 0, 10000);
    // Playback reads the repeat count as it is at each step.
    if (pDX->m_bSaveAndValidate && m_run)
        m_run->setRepeatCount(m_repeatCount);
}

BOOL CClickerDlg::OnInitDialog()
{
    m_bShowOnHotKeyPress = m_settings.GetShowOnHotKeyPress();
    CDialog::OnInitDialog();
    LoadHotKeys();
    m_hIcon = res::loadIcon(IDR_MAINFRAME);

    if (QMenu* systemMenu = GetSystemMenu()) {
        const QString about = res::loadString(IDS_ABOUTBOX);
        if (!about.isEmpty()) {
            systemMenu->addSeparator();
            systemMenu->addAction(about, this, [this] { SendMessage(WM_SYSCOMMAND, IDM_ABOUTBOX, 0); });
        }
    }

    setWindowIcon(m_hIcon);
    InitListColumns();

    // The window comes up centred with the focus in the first tab stop, X.
    adjustSize();
    CenterWindow();
    if (QWidget* first = GetDlgItem(IDC_X))
        first->setFocus(Qt::OtherFocusReason);
    return TRUE;
}

void CClickerDlg::OnSysCommand(UINT id, LPARAM lParam)
{
    if ((id & 0xFFF0) == IDM_ABOUTBOX) {
        CAboutDlg about;
        about.DoModal();
        return;
    }
    CDialog::OnSysCommand(id, lParam);
}

void CClickerDlg::OnCancel()
{
    // Esc closes the window the same way as its close box, so unsaved
    // changes are offered for saving first.
    OnClose();
}

void CClickerDlg::OnDestroy()
{
    // With the window, playback ends: nothing is played afterwards.
    m_run.reset();
    CHotKeyStore store;
    store.UnregisterAll(this);
    if (CClickerApp* app = CClickerApp::instance()) {
        app->m_trayIcon.Remove();
        app->m_control.Close();
    }
    CDialog::OnDestroy();
}

BOOL CClickerDlg::OnCommand(UINT id, UINT code)
{
    switch (id) {
    case IDC_DELETE: OnDelete(); return TRUE;
    case IDC_MOVE_DOWN: OnMoveDown(); return TRUE;
    case IDC_MOVE_UP: OnMoveUp(); return TRUE;
    case IDC_LOAD_CLICKS: OnLoadClicks(); return TRUE;
    case IDC_SAVE_CLICKS: OnSaveClicks(); return TRUE;
    case IDC_ADD: OnAdd(); return TRUE;
    case IDC_UPDATE: OnUpdate(); return TRUE;
    case IDC_DELETE_ALL: OnDeleteAll(); return TRUE;
    case IDC_START_STOP: OnStartStop(); return TRUE;
    case IDC_CLEAR_GET_MOUSE_POS: OnClearGetMousePos(); return TRUE;
    case IDC_ASSIGN_GET_MOUSE_POS: OnAssignGetMousePos(); return TRUE;
    case IDC_SHOW_ON_HOTKEY_PRESS: OnShowOnHotKeyPress(); return TRUE;
    case IDC_ASSIGN_START_STOP: OnAssignStartStop(); return TRUE;
    case IDC_CLEAR_START_STOP: OnClearStartStop(); return TRUE;
    case ID_TRAY_EXIT: OnTrayExit(); return TRUE;
    case ID_TRAY_SHOW: OnTrayShow(); return TRUE;
    default: return CDialog::OnCommand(id, code);
    }
}

void CClickerDlg::OnNotify(int id, UINT code)
{
    if (id == IDC_CLICK_LIST && code == NM_CLICK)
        OnClickList();
}

LRESULT CClickerDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_TRAYNOTIFY)
        return OnTrayNotify(wParam, lParam);
    return CDialog::WindowProc(message, wParam, lParam);
}

void CClickerDlg::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void CClickerDlg::dropEvent(QDropEvent* event)
{
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile())
            paths << url.toLocalFile();
    event->acceptProposedAction();
    OnDropFiles(paths);
}
