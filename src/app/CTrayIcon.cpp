#include "app/CTrayIcon.h"

#include "app/CClickerDlg.h"
#include "app/StatusNotifierHost.h"
#include "app/TrayMenu.h"
#include "framework/CWinApp.h"
#include "res/Resources.h"

#include <QCursor>
#include <QMenu>
#include <QSystemTrayIcon>

namespace {

// The tip is a 64-byte field on Windows: 63 characters and the end mark.
constexpr int kTipLength = 63;

// How long a notification stays up where the desktop leaves that to us.
constexpr int kNoticeMs = 10000;

CTrayIcon::AvailabilityCheck& availabilityCheck()
{
    static CTrayIcon::AvailabilityCheck check = nullptr;
    return check;
}

bool trayAvailable()
{
    if (const CTrayIcon::AvailabilityCheck check = availabilityCheck())
        return check();
    return QSystemTrayIcon::isSystemTrayAvailable();
}

// The main window, taken anew each time: it is gone once destroyed.
CDialog* mainWindow()
{
    CWinApp* app = AfxGetApp();
    return app ? app->m_pMainWnd : nullptr;
}

QString applicationTitle()
{
    const CWinApp* app = AfxGetApp();
    return app ? app->m_pszAppName : res::loadString(IDS_APP_TITLE);
}

// Qt's activation reasons as the mouse messages of a Windows icon.
UINT mouseMessageFor(QSystemTrayIcon::ActivationReason reason)
{
    switch (reason) {
    case QSystemTrayIcon::Context:
        return WM_RBUTTONUP;
    case QSystemTrayIcon::Trigger:
        return WM_LBUTTONUP;
    case QSystemTrayIcon::DoubleClick:
        return WM_LBUTTONDBLCLK;
    case QSystemTrayIcon::MiddleClick:
        return WM_MBUTTONUP;
    default:
        return WM_MOUSEMOVE;
    }
}

} // namespace

CTrayIcon::AvailabilityCheck CTrayIcon::SetAvailabilityCheck(AvailabilityCheck check)
{
    const AvailabilityCheck previous = availabilityCheck();
    availabilityCheck() = check;
    return previous;
}

CTrayIcon::CTrayIcon() = default;
CTrayIcon::~CTrayIcon() = default;

QIcon CTrayIcon::ReloadIcon()
{
    m_hTrayIcon = QIcon();
    m_hTrayIcon = res::loadIcon(IDR_MAINFRAME);
    return m_hTrayIcon;
}

int CTrayIcon::Add()
{
    ReloadIcon();
    if (!trayAvailable())
        return 0;
    if (!m_tray) {
        m_tray = std::make_unique<QSystemTrayIcon>();
        QObject::connect(m_tray.get(), &QSystemTrayIcon::activated, [](QSystemTrayIcon::ActivationReason reason) {
            if (CDialog* window = mainWindow())
                window->SendMessage(WM_TRAYNOTIFY, TRAY_ICON_UID, static_cast<LPARAM>(mouseMessageFor(reason)));
        });
    }
    m_tray->setIcon(m_hTrayIcon);
    m_tray->setToolTip(applicationTitle().left(kTipLength));

    if (!m_menu) {
        m_menu = LoadMenu(IDR_TRAY_MENU);
        if (QMenu* popup = GetSubMenu(m_menu.get(), 0)) {
            for (QAction* action : popup->actions()) {
                if (action->isSeparator())
                    continue;
                const UINT id = action->data().toUInt();
                QObject::connect(action, &QAction::triggered, [id] {
                    if (CDialog* window = mainWindow())
                        window->PostMessage(WM_COMMAND, id, 0);
                });
            }
        }
    }
    // A StatusNotifierItem host shows the menu itself, from the copy that
    // the icon exports, so the menu is ready before the icon registers. An
    // XEmbed tray only reports the context click and HandleCallback opens
    // the menu; Qt, given the menu there, would open it on its own as well.
    if (StatusNotifierHostRegistered())
        m_tray->setContextMenu(GetSubMenu(m_menu.get(), 0));
    m_tray->show();
    return m_menu ? 1 : 0;
}

void CTrayIcon::Remove()
{
    if (m_hTrayIcon.isNull())
        return;
    if (m_tray)
        m_tray->hide();
    m_hTrayIcon = QIcon();
}

void CTrayIcon::HandleCallback(LPARAM lParam)
{
    QMenu* popup = GetSubMenu(m_menu.get(), 0);
    if (LOWORD(static_cast<WPARAM>(lParam)) != WM_RBUTTONUP)
        return;
    const QPoint at = QCursor::pos();
    // A hidden window cannot be brought forward on every desktop; the menu
    // takes the keyboard and pointer by itself.
    if (CDialog* window = mainWindow(); window && window->isVisible())
        window->activateWindow();
    // The menu's top left corner at the pointer; the chosen item is posted
    // to the main window as its command once the menu has closed.
    if (popup)
        popup->popup(at);
    if (CDialog* window = mainWindow())
        window->PostMessage(WM_NULL, 0, 0);
}

void CTrayIcon::ShowNotice(const QString& text)
{
    if (!IsShown())
        return;
    m_tray->showMessage(applicationTitle(), text, QSystemTrayIcon::Warning, kNoticeMs);
}

bool CTrayIcon::IsShown() const
{
    return m_tray && m_tray->isVisible();
}
