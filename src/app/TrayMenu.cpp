#include "app/TrayMenu.h"

#include "res/Resource.h"

#include <QMenu>

namespace {

const MenuTemplate kTrayMenu{
    IDR_TRAY_MENU,
    "__POPUP__",
    {
        {ID_TRAY_EXIT, "Exit"},
        {0, nullptr},
        {ID_TRAY_SHOW, "Show"},
    },
};

} // namespace

const MenuTemplate* menuTemplate(int id)
{
    return id == IDR_TRAY_MENU ? &kTrayMenu : nullptr;
}

std::unique_ptr<QMenu> LoadMenu(int id)
{
    const MenuTemplate* t = menuTemplate(id);
    if (!t)
        return nullptr;
    auto menu = std::make_unique<QMenu>();
    QMenu* popup = menu->addMenu(QString::fromUtf8(t->popupTitle));
    for (const MenuItemTemplate& item : t->items) {
        if (item.id == 0) {
            popup->addSeparator();
            continue;
        }
        QAction* action = popup->addAction(QString::fromUtf8(item.text));
        action->setData(item.id);
    }
    return menu;
}

QMenu* GetSubMenu(const QMenu* menu, int index)
{
    if (!menu)
        return nullptr;
    const QList<QAction*> actions = menu->actions();
    if (index < 0 || index >= actions.size())
        return nullptr;
    return actions[index]->menu();
}
