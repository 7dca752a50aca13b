// Ending what a desktop session of a test started that the test did not
// start itself: the services its bus activated (the portals), what the
// compositor ran, an accessibility bus.
#pragma once

#include <QString>

namespace quorvel::test {

// Ends every process but this one whose environment gives `runtimeDir` as
// its XDG_RUNTIME_DIR (each session has a folder of its own, so nothing of
// another test's session is touched): first asked to end, then killed if it
// lingers. Bounded.
void endProcessesOfSession(const QString& runtimeDir);

} // namespace quorvel::test
