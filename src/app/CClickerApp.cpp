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

BOOL CClickerApp::InitInstance(const CommandLine& commandLine, const QString& backendNote)
{
    SetRegistryKey(QStringLiteral("Corvane"));
    // What the back end keeps between runs lives in the same profile.
    platform::current().setValueStore(&profileValueStore());

    bool registered = true;
    {
        CUtility utility;
        registered = utility.RegisterFileType(QStringLiteral("tpx"), QStringLiteral("Quorvel File")) != 0;
    }

    m_pMainWnd = &m_dlg;
    m_dlg.Create(IDD_CLICKER_DIALOG, nullptr);
    // A command from the command line reaches the window as the press of
    // its hot key would, carrying no key.
    // A run that is ending because nothing can click takes no more commands.
    m_control.Listen([this](ControlCommand command) {
        if (!m_ending)
            m_dlg.PostMessage(WM_HOTKEY, HotKeyOf(command), 0);
    });
    // Only now, with the socket listening, may anything be shown: a command
    // sent meanwhile then reaches the window.
    if (!registered && !commandLine.autoRun)
        AfxMessageBox(IDS_REGISTER_FAILED, MB_OK);
    const bool canClick = ReportBackend(backendNote, commandLine.autoRun);

    if (!commandLine.autoRun) {
        m_dlg.ShowWindow(SW_SHOW);
    } else {
        if (!canClick) {
            m_dlg.DestroyWindow();
            return FALSE;
        }
        BeginWaitCursor();
        // Without a notification area the window is the only way to stop a
        // run that repeats until stopped, so it is shown, minimised.
        if (!m_trayIcon.Add())
            m_dlg.ShowWindow(SW_SHOWMINIMIZED);
        // What would have been asked is told instead, and the run goes on.
        QStringList notes;
        if (!registered) {
            notes << res::loadString(IDS_REGISTER_FAILED);
            std::fprintf(stderr, "quorvel: %s\n", qPrintable(notes.back()));
        }
        if (!backendNote.isEmpty())
            notes << backendNote;
        if (!notes.isEmpty())
            m_trayIcon.ShowNotice(notes.join(QLatin1Char('\n')));
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

// The window still opens when nothing can click, so that sequences can be
// edited and saved, but it says so plainly, and once what the back end
// chosen cannot do. An unattended run waits for no one: a back end that
// works with a note (clicks through XWayland reach X11 windows only) plays,
// the note on standard error and, once the icon is up, in a notification;
// one that cannot click ends the run, saying why on standard error and in a
// box that closes by itself.
bool CClickerApp::ReportBackend(const QString& note, bool autoRun)
{
    QString message = note;
    const platform::Result check = platform::current().check();
    if (!check)
        message = QStringLiteral("Mouse clicks cannot be played on this display: %1. %2")
                      .arg(QString::fromStdString(check.message), message)
                      .trimmed();
    if (const std::string path = platform::current().clickPath(); check && !path.empty())
        std::fprintf(stderr, "quorvel: clicks through %s\n", path.c_str());
    if (message.isEmpty())
        return true;
    if (autoRun && !check) {
        m_ending = true;
        message += QStringLiteral("\nNothing is played.");
    }
    std::fprintf(stderr, "quorvel: %s\n", qPrintable(QString(message).replace(QLatin1Char('\n'), QLatin1Char(' '))));
    if (!autoRun)
        AfxMessageBox(message, MB_OK | (check ? MB_ICONEXCLAMATION : MB_ICONHAND));
    else if (!check)
        ShowMessageBox(nullptr, message, QString(), MB_OK | MB_ICONHAND, kUnattendedBoxTimeoutMs);
    return static_cast<bool>(check);
}
