#include "app/CClickerApp.h"

#include "framework/MessageBox.h"
#include "hotkeys/CUtility.h"
#include "res/Resources.h"

CClickerApp::CClickerApp() : CWinApp(res::loadString(IDS_APP_TITLE)) {}

CClickerApp::~CClickerApp() = default;

CClickerApp* CClickerApp::instance()
{
    return dynamic_cast<CClickerApp*>(AfxGetApp());
}

BOOL CClickerApp::InitInstance(const CommandLine& commandLine)
{
    SetRegistryKey(QStringLiteral("Corvane"));

    {
        CUtility utility;
        if (!utility.RegisterFileType(QStringLiteral("tpx"), QStringLiteral("Quorvel File")))
            AfxMessageBox(IDS_REGISTER_FAILED, MB_OK);
    }

    m_pMainWnd = &m_dlg;
    m_dlg.Create(IDD_CLICKER_DIALOG, nullptr);
    // A command from the command line reaches the window as the press of
    // its hot key would, carrying no key.
    m_control.Listen([this](ControlCommand command) { m_dlg.PostMessage(WM_HOTKEY, HotKeyOf(command), 0); });

    if (!commandLine.autoRun) {
        m_dlg.ShowWindow(SW_SHOW);
    } else {
        BeginWaitCursor();
        // Without a notification area the window is the only way to stop a
        // run that repeats until stopped, so it is shown, minimised.
        if (!m_trayIcon.Add())
            m_dlg.ShowWindow(SW_SHOWMINIMIZED);
        m_dlg.LoadSequenceFile(commandLine.file);
        m_dlg.PostMessage(WM_HOTKEY, 2, 2);
        EndWaitCursor();
    }
    return TRUE;
}
