// The application object: starts the process in the normal or the
// unattended way and owns the main window and the tray icon.
#pragma once

#include "app/CClickerDlg.h"
#include "app/CTrayIcon.h"
#include "app/CommandLine.h"
#include "app/ControlServer.h"
#include "framework/CWinApp.h"

class CClickerApp : public CWinApp {
public:
    CClickerApp();
    ~CClickerApp() override;

    // Start-up: registry key, file type, the hidden main window and the
    // control socket, what the back end has to say (`backendNote`, and its
    // check), then either the window shown or the unattended run.
    // FALSE when the unattended run has nothing it can play, from its file or
    // because nothing can click: the window is gone again and the process is
    // to end with a failure code.
    BOOL InitInstance(const CommandLine& commandLine, const QString& backendNote = {});

    static CClickerApp* instance();

    CTrayIcon m_trayIcon;
    CClickerDlg m_dlg;
    // Takes `quorvel --toggle` and `--capture` from the command line.
    ControlServer m_control;

    // How long the box that ends an unattended run waits for someone.
    static constexpr int kUnattendedBoxTimeoutMs = 60000;

private:
    bool LoadUnattended(const QString& file);
    // Says what the back end cannot do; false when it cannot click at all.
    bool ReportBackend(const QString& note, bool autoRun);

    bool m_ending = false;
};
