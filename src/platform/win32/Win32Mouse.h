// The pointer and the mouse buttons on Windows: the cursor functions of user32
// and one SendInput call per button event. A playback run makes the same
// calls from its own thread.
#pragma once

#include "platform/Platform.h"

namespace platform::win32 {

class Win32Mouse final : public Mouse {
public:
    // Screen coordinates are device pixels as long as the process is
    // DPI-aware, which Qt 6 makes it at start; a DPI-unaware process would
    // see scaled coordinates on a scaled display.
    std::optional<Point> cursorPos() override;
    void setCursorPos(int x, int y) override;
    void button(Button button, ButtonAction action) override;
    void pause(std::uint32_t ms) override;
    std::unique_ptr<MouseRun> openRun(RunWait& wait) override;
};

} // namespace platform::win32
