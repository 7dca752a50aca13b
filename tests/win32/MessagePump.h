// Bounded waits on the calling thread's message queue, dispatching what
// arrives: the tests' stand-in for the program's message loop.
#pragma once

#include <functional>

namespace quorvel::win32test {

// Dispatches messages until `done` returns true or `timeoutMs` has passed;
// returns the last answer of `done`.
bool pumpUntil(const std::function<bool()>& done, unsigned timeoutMs);

// Dispatches messages for `ms` milliseconds.
void pumpFor(unsigned ms);

} // namespace quorvel::win32test
