// The pointer through the desktop portal's remote desktop: on desktops that
// let no client inject input (GNOME, KDE), a session granted by the user
// moves the pointer and presses its buttons.
//
// The session is opened before a playback, which is when the desktop asks
// the user for permission. A portal of version 2 or later remembers the
// user's answer (a restore token kept in the settings), so later sessions
// are not asked again; an older one asks for every session. The clicks go
// through libei where the portal hands out an input connection, else
// through its Notify calls (see PortalRoute).
//
// A session through libei is opened for each run and closed at its end,
// so that the desktop's sign of remote control shows only while clicks
// play; reopening it asks nothing. A session of the Notify calls, which an
// old portal would ask for again, stays open for the life of the process,
// unless the desktop closes it.
//
// The window's thread opens and closes sessions; a playback run (PortalRun)
// makes its calls from its own thread, through the operations below.
#pragma once

#include "platform/Platform.h"
#include "platform/portal/PortalRoute.h"

#include <QDBusConnection>
#include <QObject>
#include <QRect>

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace platform::portal {

class EiPointer;

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
    void endPlayback() override;
    std::unique_ptr<MouseRun> openRun(RunWait& wait) override;

    void setValueStore(ValueStore* store) { m_store = store; }
    bool isStarted() const;
    // How the next session will click, as far as is known before it opens.
    PortalRoute plannedRoute();

    // For a playback run, on its thread: the desktop's settle waits become
    // the run's waits, which its stop cuts short, from beginRun to endRun;
    // endRun releases what the run left pressed and, through libei, waits
    // until the desktop has handled every event.
    void beginRun(RunWait& wait);
    void endRun();
    // One button event, after the desktop's settle waits. False when the
    // run was stopped during the wait before a press, which is then not
    // sent; a release is sent at once.
    bool sendButton(Button button, ButtonAction action);
    // Fails, in the user's words, once the desktop has ended the session or
    // taken the pointer away, or a position lay on none of its screens.
    Result status() const;
    const PositionReader& positionReader() const { return m_readPosition; }

    // How long the desktop may take to answer, the user's answer included.
    static constexpr int kAnswerTimeoutMs = 120000;

private slots:
    void sessionClosed();

private:
    struct Stream {
        uint node = 0;
        QRect area; // in layout coordinates
    };

    Result openSession(const PortalRoute& route);
    Result connectToEis();
    void closeSession();
    void readStreams(const QVariant& streams);
    void notify(const QString& method, const QVariantList& arguments);
    void fail(const Result& result);
    // Waits `ms` as a settle wait; false when the run was stopped during it.
    bool settle(int ms);
    uint remoteDesktopVersion();
    uint readRemoteDesktopVersion() const;

    QDBusConnection m_bus;
    PositionReader m_readPosition;
    ValueStore* m_store = nullptr;
    QString m_session; // the started session
    QString m_opened;  // the session being opened or started, until the portal closes it
    std::vector<Stream> m_streams;
    std::string m_desktop; // XDG_CURRENT_DESKTOP
    uint m_version = 0;    // the RemoteDesktop portal's, once asked
    PortalRoute m_route;   // of the started session
    std::unique_ptr<EiPointer> m_ei;
    Result m_failure;
    // Guards the session's state (and the input connection, which a run
    // uses on its thread), which the window's thread changes.
    mutable std::mutex m_lock;
    RunWait* m_runWait = nullptr;
    bool m_opening = false;
    // Touched only by the thread that plays.
    bool m_moved = false;     // a motion was sent since the last button event
    bool m_pressSent = false; // the last button event sent was a press
};

} // namespace platform::portal
