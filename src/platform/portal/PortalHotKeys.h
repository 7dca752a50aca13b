// System-wide hot keys through the desktop portal's global shortcuts (KDE
// Plasma 5.27 and later, GNOME 48 and later).
//
// The portal binds a session's shortcuts all at once, and the desktop may
// ask the user to confirm them, so every change of a combination binds the
// whole set again in a new session. The stored combinations go with it as
// preferred triggers; the desktop has the last word on the actual keys.
#pragma once

#include "platform/Platform.h"

#include <QDBusConnection>
#include <QObject>

#include <map>

namespace platform::portal {

class PortalHotKeys final : public QObject, public HotKeys {
    Q_OBJECT
public:
    explicit PortalHotKeys(const QDBusConnection& bus);
    ~PortalHotKeys() override;

    // Whether the desktop's portal offers global shortcuts at all.
    static bool isAvailable(const QDBusConnection& bus);

    Result registerHotKey(int id, std::uint32_t modifiers, std::uint32_t virtualKey) override;
    Result unregisterHotKey(int id) override;
    void setPressHandler(PressHandler handler) override;

    static constexpr int kAnswerTimeoutMs = 120000;

private slots:
    void activated(const QDBusMessage& message);

private:
    struct Binding {
        std::uint32_t modifiers = 0;
        std::uint32_t virtualKey = 0;
    };

    Result bindAll();
    Result bindAllOnce();
    void closeSession();

    QDBusConnection m_bus;
    std::map<int, Binding> m_bindings;
    QString m_session;
    PressHandler m_handler;
};

} // namespace platform::portal
