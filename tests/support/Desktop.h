// Driving the real program on a test's X server through xdotool: finding its
// windows, their geometry, keys and clicks. Every call is bounded in time.
#pragma once

#include <QRect>
#include <QString>
#include <QStringList>

#include <optional>

namespace quorvel::test {

// The program under test: $QUORVEL_BUILD_DIR/quorvel.
QString programPath();

// Runs xdotool with `arguments`; its standard output, or nothing when it
// failed or took longer than `timeoutMs`.
std::optional<QByteArray> xdotool(const QStringList& arguments, int timeoutMs = 10000);

// The first visible window whose name matches `pattern` (a regular
// expression), waiting at most `timeoutMs` for one to appear.
std::optional<QString> waitForWindow(const QString& pattern, int timeoutMs = 15000);
// The visible windows whose name matches `pattern`, now.
QStringList visibleWindows(const QString& pattern);
// The window's position and size on the screen.
std::optional<QRect> windowGeometry(const QString& window);
// Gives `window` the keyboard focus and waits until it has it.
bool focusWindow(const QString& window);
// Waits for the program's message box (caption "Quorvel") and presses its
// default button with Return.
bool answerMessageBox(int timeoutMs = 15000);

} // namespace quorvel::test
