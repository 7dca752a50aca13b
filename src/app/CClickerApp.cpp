#include "app/CClickerApp.h"

#include "framework/MessageBox.h"
#include "hotkeys/CUtility.h"
#include "hotkeys/ProfileValueStore.h"
#include "platform/Platform.h"
#include "res/Resources.h"

#include <cstdio>

CClickerApp::CClickerApp() : CWinApp(res::loadString(IDS_APP_TITLE)) {}

CClickerApp::~CClickerApp() = default;

CClickerApp* CClickerApp::instance()
{
    return dynamic_cast<CClickerApp*>(AfxGetApp());
}

BOOL CClickerApp::InitInstance(const CommandLine& commandLine)
{
    SetRegistryKey(QStringLiteral("Corvane"));
    // What the back end keeps between runs lives in the same profile.
    platform::current().setValueStore(&profileValueStore());

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
        const bool playable = LoadUnattended(commandLine.file);
        if (playable)
            m_dlg.PostMessage(WM_HOTKEY, 2, 2);
        EndWaitCursor();
        if (!playable) {
            m_dlg.DestroyWindow();
            return FALSE;
        }
    }
    return TRUE;
}

// Nobody may be there to answer in an unattended run, so nothing waits for an
// answer while there is something to play: a file that ends early is played
// as far as its complete clicks go, and that is said on standard error and in
// a notification from the tray icon. A file that cannot be read at all, or of
// which not one click could be read, leaves nothing to play: that is said on
// standard error and in a box that closes by itself, and the run ends.
bool CClickerApp::LoadUnattended(const QString& file)
{
    CClickerDlg::LoadProblem problem;
    const int loaded = m_dlg.LoadSequenceFile(file, problem);
    if (problem.text.isEmpty())
        return true;
    const bool playable = !problem.unreadable && loaded != 0;
    const QString outcome =
        playable ? QStringLiteral("The clicks that could be read are played.") : QStringLiteral("Nothing is played.");
    std::fprintf(stderr, "quorvel: %s %s\n", qPrintable(problem.text), qPrintable(outcome));
    const QString notice = problem.text + QLatin1Char('\n') + outcome;
    if (playable) {
        m_trayIcon.ShowNotice(notice);
    } else {
        // Owned by no window: the main window may stand in minimised.
        ShowMessageBox(nullptr, notice, QString(), MB_OK | MB_ICONHAND, kUnattendedBoxTimeoutMs);
    }
    return playable;
}
