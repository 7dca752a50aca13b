// Menu 132, the notification-area icon's menu, as data, and the Qt menu
// made from it.
#pragma once

#include "framework/Win32Types.h"

#include <memory>
#include <vector>

class QMenu;

struct MenuItemTemplate {
    UINT id;          // the WM_COMMAND identifier; 0 for a separator
    const char* text; // nullptr for a separator
};

// A menu resource: one popup with a title of its own that is never shown.
struct MenuTemplate {
    int id;
    const char* popupTitle;
    std::vector<MenuItemTemplate> items;
};

// Menu `id` (IDR_TRAY_MENU); null when unknown.
const MenuTemplate* menuTemplate(int id);

// The menu `id` as a Qt menu whose only entry is the popup (submenu 0),
// whose actions carry their identifiers as data; null when unknown.
std::unique_ptr<QMenu> LoadMenu(int id);
// Submenu `index` of `menu`; null when there is none.
QMenu* GetSubMenu(const QMenu* menu, int index);
