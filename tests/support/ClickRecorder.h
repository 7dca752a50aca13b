// Starts the project's click recorder (tests/e2e/tools/xclickrecorder) on
// the current DISPLAY and reads what it saw, every wait bounded.
//
// The recorder maps an override-redirect window over the whole screen or a
// given rectangle, on top of everything mapped before it, and reports the
// button presses and releases that land on it (and, when asked, the keys it
// receives with the focus). Place the rectangles so that they cover only what
// the test clicks on and nothing it needs to see.
#pragma once

#include "support/BoundedProcess.h"
#include "support/RecordedEvent.h"

#include <QRect>
#include <QString>

#include <cstddef>
#include <optional>
#include <vector>

namespace quorvel::test {

class ClickRecorder {
public:
    struct Options {
        QRect area;              // empty: the whole screen, unless `more` has some
        std::vector<QRect> more; // further rectangles, in one stream of events
        bool keys = false;       // also take the focus and report keys
        bool realtime = false;   // ask for real-time scheduling (for timing)
        int readyTimeoutMs = 5000;
        QString program; // empty: defaultProgram()
    };

    ClickRecorder() = default;
    ~ClickRecorder() { stop(); }
    ClickRecorder(const ClickRecorder&) = delete;
    ClickRecorder& operator=(const ClickRecorder&) = delete;

    // The recorder built with the tests: $QUORVEL_BUILD_DIR/xclickrecorder,
    // else beside the running test.
    static QString defaultProgram();

    // Starts the recorder and waits until its windows are mapped. False (see
    // errorString) when it failed or did not report "ready" in time.
    bool start();
    bool start(const Options& options);
    QString errorString() const { return m_error; }
    qint64 pid() const { return m_process.pid(); }

    // The next event, waiting at most `timeoutMs`.
    std::optional<RecordedEvent> next(int timeoutMs);
    // Waits until `count` events have come or `timeoutMs` has passed and
    // returns those that came, in order.
    std::vector<RecordedEvent> take(std::size_t count, int timeoutMs);
    // Every event that comes within `ms` (for checking that nothing does).
    std::vector<RecordedEvent> collectFor(int ms);

    // Closes the recorder's standard input, which makes it exit by itself.
    void closeInput() { m_process.closeStandardInput(); }
    bool waitForExit(int timeoutMs) { return m_process.waitForExit(timeoutMs); }
    int exitCode() const { return m_process.exitCode(); }
    void stop() { m_process.stop(); }

private:
    BoundedProcess m_process;
    QString m_error;
};

} // namespace quorvel::test
