// The pointer through the desktop portal's remote desktop: on desktops that
// let no client inject input (GNOME, KDE), a session granted by the user
// moves the pointer and presses its buttons.
//
// The session is opened before the first playback, which is when the
// desktop asks the user for permission; the user's answer is remembered by
// the desktop (a restore token kept in the settings), so later runs are not
// asked again. The session then stays open for the life of the process.
#pragma once

#include "platform/Platform.h"

#include <QDBusConnection>
#include <QObject>
#include <QRect>

#include <functional>
#include <optional>
#include <vector>

namespace platform::portal {

// The settings value that keeps the desktop's restore token.
inline const char* const kRestoreTokenName = "RemoteDesktopRestoreToken";

class PortalMouse final : public QObject, public Mouse {
    Q_OBJECT
public:
    using PositionReader = std::function<std::optional<Point>()>;

    // `readPosition` reads the pointer where the desktop allows it (the
    // portal gives no position); null when nothing can.
    PortalMouse(const QDBusConnection& bus, PositionReader readPosition);
    ~PortalMouse() override;

    std::optional<Point> cursorPos() override;
    void setCursorPos(int x, int y) override;
    void button(Button button, ButtonAction action) override;
    void pause(std::uint32_t ms) override;
    Result beginPlayback() override;

    void setValueStore(ValueStore* store) { m_store = store; }
    bool isStarted() const { return !m_session.isEmpty(); }

    // How long the desktop may take to answer, the user's answer included.
    static constexpr int kAnswerTimeoutMs = 120000;

private slots:
    void sessionClosed();

private:
    struct Stream {
        uint node = 0;
        QRect area; // in layout coordinates
    };

    Result openSession();
    void readStreams(const QVariant& streams);
    void notify(const QString& method, const QVariantList& arguments);

    QDBusConnection m_bus;
    PositionReader m_readPosition;
    ValueStore* m_store = nullptr;
    QString m_session;
    std::vector<Stream> m_streams;
    bool m_opening = false;
};

} // namespace platform::portal
