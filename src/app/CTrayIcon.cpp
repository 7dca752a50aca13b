#include "app/CTrayIcon.h"

#include "app/CClickerApp.h"
#include "res/Resources.h"

#include <QMenu>
#include <QSystemTrayIcon>

CTrayIcon::CTrayIcon() = default;
CTrayIcon::~CTrayIcon() = default;

QIcon CTrayIcon::ReloadIcon()
{
    m_hTrayIcon = res::loadIcon(IDR_MAINFRAME);
    return m_hTrayIcon;
}

int CTrayIcon::Add()
{
    ReloadIcon();
    if (!QSystemTrayIcon::isSystemTrayAvailable())
        return 0;
    if (!m_tray)
        m_tray = std::make_unique<QSystemTrayIcon>();
    m_tray->setIcon(m_hTrayIcon);
    m_tray->setToolTip(res::loadString(IDS_APP_TITLE).left(63));
    m_tray->show();
    return 1;
}

void CTrayIcon::Remove()
{
    if (m_hTrayIcon.isNull())
        return;
    if (m_tray)
        m_tray->hide();
    m_hTrayIcon = QIcon();
}

void CTrayIcon::HandleCallback(LPARAM) {}

bool CTrayIcon::IsShown() const
{
    return m_tray && m_tray->isVisible();
}
