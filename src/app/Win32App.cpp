// What the program does without on Windows: it takes its global keys with
// RegisterHotKey, so nothing listens for `quorvel --toggle` / `--capture`
// (they say so), and its tray icon sits in the notification area, not on a
// session bus.
#include "app/ControlClient.h"
#include "app/ControlServer.h"
#include "app/StatusNotifierHost.h"

#include <cstdio>

namespace control {
class InstanceLockWait {}; // nothing waits for a control socket here
} // namespace control

ControlServer::ControlServer(QObject* parent) : QObject(parent) {}

ControlServer::~ControlServer() = default;

bool ControlServer::Listen(Handler)
{
    return false;
}

void ControlServer::Close() {}

int SendControlCommand(ControlCommand command)
{
    std::fprintf(stderr, "quorvel: %s is not available on Windows; use the hot keys set in the window\n",
                 qPrintable(ControlOptionName(command)));
    return 1;
}

bool StatusNotifierHostRegistered()
{
    return false;
}
