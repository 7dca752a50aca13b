// The notification-area icon of an unattended run, with its menu "Exit" /
// "Show". The icon's mouse messages reach the main window as WM_TRAYNOTIFY
// and come back here through HandleCallback; the menu's commands reach the
// main window as WM_COMMAND.
#pragma once

#include "framework/Win32Types.h"

#include <QIcon>

#include <memory>

class QMenu;
class QSystemTrayIcon;

// The icon's identifier, passed as wParam of WM_TRAYNOTIFY.
constexpr UINT TRAY_ICON_UID = 90;

// The mouse messages that WM_TRAYNOTIFY carries in its lParam.
enum : UINT {
    WM_MOUSEMOVE = 0x0200,
    WM_LBUTTONUP = 0x0202,
    WM_LBUTTONDBLCLK = 0x0203,
    WM_RBUTTONUP = 0x0205,
    WM_MBUTTONUP = 0x0208,
};

class CTrayIcon {
public:
    CTrayIcon();
    virtual ~CTrayIcon();
    CTrayIcon(const CTrayIcon&) = delete;
    CTrayIcon& operator=(const CTrayIcon&) = delete;

    // Loads the application icon afresh, drops the one held, returns it.
    QIcon ReloadIcon();
    // Shows the icon with the application title as its tip (at most 63
    // characters) and loads its menu once; a StatusNotifierItem host gets
    // the menu to show itself. 0 when no notification area is available;
    // the icon is then held but not shown, and no menu loaded.
    int Add();
    // Takes the icon away and drops it; nothing when none is held.
    void Remove();
    // The icon's mouse message (WM_TRAYNOTIFY's lParam): a right-button
    // release opens the menu at the pointer; everything else does nothing.
    void HandleCallback(LPARAM lParam);

    // Tells the user `text` in a notification from the icon, without
    // waiting for anyone; nothing when the icon is not shown.
    void ShowNotice(const QString& text);

    bool IsShown() const;
    bool HasIcon() const { return !m_hTrayIcon.isNull(); }
    // The loaded menu (its submenu 0 is the one shown); null before.
    QMenu* Menu() const { return m_menu.get(); }
    // The icon object once Add has made one; null before.
    QSystemTrayIcon* TrayIcon() const { return m_tray.get(); }

    // Whether a notification area is available. Dialog tests, which run
    // without one, replace the check; null restores the real one. Returns
    // the check it replaces.
    using AvailabilityCheck = bool (*)();
    static AvailabilityCheck SetAvailabilityCheck(AvailabilityCheck check);

private:
    std::unique_ptr<QMenu> m_menu;
    QIcon m_hTrayIcon;
    std::unique_ptr<QSystemTrayIcon> m_tray;
};
