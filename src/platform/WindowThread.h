// What a playback run asks of the window's thread: reading the pointer where
// the back end reads it with the window thread's own connection (the overlay
// surfaces of a Wayland compositor).
#pragma once

#include "platform/Platform.h"

#include <functional>
#include <optional>

namespace platform {

// Runs `read` on the window's thread (the application's, from its event
// loop) and waits for that answer alone, or for the run's stop. A window
// thread that is itself ending the run, and waits for the run's thread, is
// so never waited for; a read that has not begun by the stop does not run.
// Called on the window's thread, it reads at once.
std::optional<Point> readOnWindowThread(std::function<std::optional<Point>()> read, RunWait& wait);

} // namespace platform
