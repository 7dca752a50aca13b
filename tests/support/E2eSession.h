// What the program's end-to-end tests share: the profile and sequence files
// the program starts with, points of its main window, the windows it maps,
// and a tray host. Every wait is bounded; every process is ended by its id.
#pragma once

#include "sequence/CClickEntry.h"
#include "support/BoundedProcess.h"
#include "support/TestEnvironment.h"

#include <QByteArray>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace quorvel::test {

// The program's main window caption starts with this.
inline const QString kMainWindowPattern = QStringLiteral("^Quorvel Software Utility");

// Writes a sequence file; its path.
QString writeSequence(const QString& name, std::int32_t repeatCount, const std::vector<CClickEntry>& entries);
CClickEntry clickAt(int x, int y, std::uint32_t delay);
// The rows of a sequence file as "x y delay", in order; empty when it cannot
// be read.
QStringList savedRows(const QString& path);

// The line the program writes on its standard error at start, naming how it
// clicks through a RemoteDesktop portal of `version`: libei from version 2
// on when this build has it, else the portal's Notify calls. A test that
// finds another line (or the line of the fallback to the Notify calls) was
// passed by another path than the one it means to test.
QString portalClickLine(uint version);
// Whether the program's standard error shows that it clicked by the
// portal path it should have, and by no other; else why not.
QString wrongClickPath(const QByteArray& standardError, uint version);

// Points of the main window from dialog units, the way the window is laid
// out (its client area is 420 x 315 units).
class WindowPoints {
public:
    explicit WindowPoints(const QRect& window) : m_window(window) {}
    QPoint at(double x, double y) const;

private:
    QRect m_window;
};

std::optional<QPoint> pointer();
// Moves the pointer there and waits until it is.
bool moveTo(const QPoint& p);
bool click(const QPoint& p, int button = 1);
bool typeInto(const QPoint& field, const QString& text);
bool keys(const QStringList& keyNames);

// The visible windows of the program (class "quorvel"), with their
// geometry; menus and the tray icon have no name to search by.
struct ShownWindow {
    QString id;
    QRect geometry;
};
std::vector<ShownWindow> programWindows();
// The program's window inside `area`, waiting at most `timeoutMs`.
std::optional<ShownWindow> waitForProgramWindowIn(const QRect& area, int timeoutMs = 15000);
// A program window not in `known`, waiting at most `timeoutMs`.
std::optional<ShownWindow> waitForNewProgramWindow(const std::vector<ShownWindow>& known, int timeoutMs = 5000);
// The window was mapped asking to start minimised (no window manager acts
// on it under Xvfb, so this is what the program can be seen to ask).
bool asksToBeMinimised(const QString& window);

// The program started with its main window up and focused, to be driven
// through that window; ended by its id with the object.
class RunningProgram {
public:
    // Starts it and waits for its main window.
    bool start(const QStringList& arguments = {});
    // Adds a row through the window's fields and Enter.
    bool addRow(int x, int y, int delay);
    // Types the repeat count.
    bool setRepeatCount(int count);

    BoundedProcess& process() { return m_process; }
    WindowPoints points() const { return WindowPoints(m_geometry); }

private:
    BoundedProcess m_process;
    QRect m_geometry;
};

// A tray host (trayer) docked at the bottom right corner of the screen.
class TrayHost {
public:
    // Starts it and waits until its panel is mapped.
    bool start();
    QString errorString() const { return m_error; }
    // The panel's rectangle, where icons are docked.
    QRect panel() const { return m_panel; }

private:
    BoundedProcess m_process;
    QRect m_panel;
    QString m_error;
};

// Holds a key combination in another X client (tests/e2e/tools/xgrabkey).
class KeyHolder {
public:
    // True when it holds the combination; false when it was refused or did
    // not start (see lastLine).
    bool hold(const QString& combination);
    QString lastLine() const { return m_line; }

private:
    BoundedProcess m_process;
    QString m_line;
};

} // namespace quorvel::test
