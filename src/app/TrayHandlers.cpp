// The main window's handlers of the notification-area icon and its menu.
#include "app/CClickerApp.h"

LRESULT CClickerDlg::OnTrayNotify(WPARAM, LPARAM lParam)
{
    if (CClickerApp* app = CClickerApp::instance())
        app->m_trayIcon.HandleCallback(lParam);
    return 1;
}

void CClickerDlg::OnTrayShow()
{
    ShowWindow(SW_SHOW);
    activateWindow();
    raise();
    setFocus(Qt::OtherFocusReason);
}

void CClickerDlg::OnTrayExit()
{
    OnClose();
}
