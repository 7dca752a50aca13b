// One call of the desktop portal that answers later: the method returns a
// request object at once, and the outcome comes as that object's Response
// signal (after the user has answered a question, for some calls).
#pragma once

#include <QDBusConnection>
#include <QString>
#include <QVariantList>
#include <QVariantMap>

#include <cstdint>

namespace platform::portal {

// Windows error numbers for what the portal reports, so that the dialogs
// show the same "Last Error" numbers on every system.
constexpr std::uint32_t kErrorNotReady = 21;            // ERROR_NOT_READY: a question is still open
constexpr std::uint32_t kErrorNotSupported = 50;        // ERROR_NOT_SUPPORTED: no such portal
constexpr std::uint32_t kErrorCancelled = 1223;         // ERROR_CANCELLED: the user said no
constexpr std::uint32_t kErrorNoInputConnection = 1225; // ERROR_CONNECTION_REFUSED: no EIS from the desktop

inline const QString kPortalService = QStringLiteral("org.freedesktop.portal.Desktop");
inline const QString kPortalPath = QStringLiteral("/org/freedesktop/portal/desktop");
inline const QString kRemoteDesktopInterface = QStringLiteral("org.freedesktop.portal.RemoteDesktop");
inline const QString kScreenCastInterface = QStringLiteral("org.freedesktop.portal.ScreenCast");
inline const QString kGlobalShortcutsInterface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");
inline const QString kSessionInterface = QStringLiteral("org.freedesktop.portal.Session");

struct PortalResponse {
    enum Outcome : unsigned {
        Success = 0,   // the portal's response codes
        Cancelled = 1, // the user said no
        Ended = 2,     // the interaction ended some other way
        CallFailed,    // the method itself failed (no portal, no interface)
        NoAnswer,      // no response in time
    };
    unsigned outcome = CallFailed;
    QVariantMap results;
    QString error; // the D-Bus error text of a failed call

    bool ok() const { return outcome == Success; }
    // The "Last Error" number of a response that is not ok().
    std::uint32_t errorCode() const { return outcome == Cancelled ? kErrorCancelled : kErrorNotSupported; }
    // What went wrong, in words for the user.
    QString describe(const QString& what) const;
};

// Calls `method` of `interface` on the portal with `arguments` followed by
// `options` (given a handle token of its own), and waits for the response,
// handling events meanwhile, for at most `timeoutMs`.
PortalResponse callPortal(const QDBusConnection& bus, const QString& interface, const QString& method,
                          const QVariantList& arguments, QVariantMap options, int timeoutMs);

// Tells the portal on `bus` which installed program this is (its desktop
// entry's id), once per connection and before any other call of that
// connection to the portal, property reads included: the portal takes the
// program for an anonymous one from its first call on. A program that is not
// sandboxed is otherwise anonymous to the portal: GNOME 48 binds no global
// shortcuts for it, and the desktops keep its permissions under an empty
// name. Portals before 1.20 have no such
// registry; nothing is told them.
void identifyToPortal(const QDBusConnection& bus);

// An object path that a result holds as an object path or as a string.
QString objectPathOf(const QVariant& value);

} // namespace platform::portal
