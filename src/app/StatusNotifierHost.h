// Whether the desktop shows tray icons as StatusNotifierItems: Qt puts the
// icon on the session bus, with its menu exported over com.canonical.dbusmenu,
// when the StatusNotifierWatcher there reports a registered host (a panel
// that shows such items); otherwise it embeds the icon in an XEmbed tray.
#pragma once

// Asks the same question Qt asks, the same way, so the answer says which
// kind of icon Qt made. Always false where there is no session bus (Windows).
bool StatusNotifierHostRegistered();
