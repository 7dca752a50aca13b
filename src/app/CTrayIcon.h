// The notification-area icon of an unattended run, with its menu "Exit" /
// "Show".
#pragma once

#include "framework/Win32Types.h"

#include <QIcon>

#include <memory>

class QMenu;
class QSystemTrayIcon;

class CTrayIcon {
public:
    CTrayIcon();
    virtual ~CTrayIcon();
    CTrayIcon(const CTrayIcon&) = delete;
    CTrayIcon& operator=(const CTrayIcon&) = delete;

    // Loads the icon afresh and returns it.
    QIcon ReloadIcon();
    // Shows the icon; 0 when no notification area is available.
    int Add();
    // Removes the icon; nothing when none was added.
    void Remove();
    // The icon's mouse message: a right-button release opens the menu.
    void HandleCallback(LPARAM lParam);

    bool IsShown() const;
    bool HasIcon() const { return !m_hTrayIcon.isNull(); }
    QMenu* Menu() const { return m_menu.get(); }

private:
    std::unique_ptr<QMenu> m_menu;
    QIcon m_hTrayIcon;
    std::unique_ptr<QSystemTrayIcon> m_tray;
};
