// The profile section and value names the program keeps, with their
// defaults, in one place.
#pragma once

#include <QString>

namespace profile {

inline const QString kSection = QStringLiteral("Settings");

inline const QString kDoubleClickDelay = QStringLiteral("DoubleClickDelay");
constexpr int kDoubleClickDelayDefault = 10;
// A hand-edited delay outside this range is used as the nearest bound, so
// that a double click can never hold the program for long.
constexpr int kDoubleClickDelayMin = 0;
constexpr int kDoubleClickDelayMax = 5000;

inline const QString kShowOnHotKeyPress = QStringLiteral("ShowOnHotKeyPress");
constexpr int kShowOnHotKeyPressDefault = 1;

// Hot-key names; their values are "<name> Key" and "<name> Mod", default 0.
inline const QString kGetMousePos = QStringLiteral("GetMousePos");
inline const QString kStopMouseClicks = QStringLiteral("StopMouseClicks");
inline QString keyValueName(const QString& hotKeyName) { return QStringLiteral("%1 Key").arg(hotKeyName); }
inline QString modValueName(const QString& hotKeyName) { return QStringLiteral("%1 Mod").arg(hotKeyName); }

} // namespace profile
