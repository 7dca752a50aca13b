// One event as the click recorder (tests/e2e/tools/xclickrecorder) reports
// it, one line each:
//
//   press|release <button> <root_x> <root_y> <server_time_ms> [sent] [us=<arrival>]
//   keypress|keyrelease <keycode> <root_x> <root_y> <server_time_ms> [sent] [us=<arrival>]
//
// "sent" marks an event that a client made with XSendEvent rather than one
// that came through the server's input devices (real or XTest). <arrival>
// is when the recorder received it, in microseconds of its monotonic clock.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <vector>

namespace quorvel::test {

struct RecordedEvent {
    // Not named after the X event types: those are macros in Xlib.h.
    enum class Kind { Press, Release, KeyDown, KeyUp };

    Kind kind = Kind::Press;
    int detail = 0; // button number or keycode
    int x = 0;      // root window coordinates of the pointer
    int y = 0;
    std::uint64_t time = 0; // server time in milliseconds
    bool sent = false;
    std::uint64_t arrivalUs = 0; // the recorder's monotonic clock; 0 when not given

    bool isButton(Kind k, int button) const { return kind == k && detail == button; }
    // Parses one line; nothing for anything else (such as "ready").
    static std::optional<RecordedEvent> parse(const QByteArray& line);
    // The line it was read from, for test failure messages.
    QString toString() const;
};

// The events' lines joined, for test failure messages.
QString describe(const std::vector<RecordedEvent>& events);

// "press 1 300 100", "release 1 300 100", ...: what was pressed and released
// where, in order, to compare with what a sequence should give.
QStringList buttonsOf(const std::vector<RecordedEvent>& events);
// The two lines of one click of `button` at (x, y).
QStringList clickLines(int button, int x, int y);

} // namespace quorvel::test
