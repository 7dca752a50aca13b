// System-wide hot keys on KDE Plasma through its global shortcut service
// (kglobalaccel, which KWin runs on Wayland), as KDE's own programs bind
// theirs: each hot key is an action of the component "quorvel" with the
// stored combination as its key, and KWin reports its presses. Each
// instance has actions of its own ("hotkey-2-<pid>"), so that, as on X11, a
// combination that one instance holds is refused to another.
//
// KDE's global shortcuts portal is not used there: Plasma 5.27's takes no
// keys from the program (it leaves them for the user to set in System
// Settings) and binds nothing for a program that is not sandboxed.
#pragma once

#include "platform/Platform.h"

#include <QDBusConnection>
#include <QObject>

#include <map>

namespace platform::kde {

class KdeHotKeys final : public QObject, public HotKeys {
    Q_OBJECT
public:
    explicit KdeHotKeys(const QDBusConnection& bus);
    ~KdeHotKeys() override;

    // Whether KDE's global shortcut service is on `bus`.
    static bool isAvailable(const QDBusConnection& bus);

    Result registerHotKey(int id, std::uint32_t modifiers, std::uint32_t virtualKey) override;
    Result unregisterHotKey(int id) override;
    void setPressHandler(PressHandler handler) override { m_handler = std::move(handler); }

private slots:
    void pressed(const QString& component, const QString& action, qlonglong timestamp);

private:
    struct Binding {
        std::uint32_t modifiers = 0;
        std::uint32_t virtualKey = 0;
    };

    // Takes the action out of the service, so that its key is free again.
    void forget(int id);
    // Takes out the actions of instances that ended without doing so.
    void forgetEndedInstances();

    QDBusConnection m_bus;
    std::map<int, Binding> m_bindings;
    PressHandler m_handler;
};

} // namespace platform::kde
