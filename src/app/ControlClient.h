// The sending end of `quorvel --toggle` and `quorvel --capture`.
#pragma once

#include "app/CommandLine.h"

// Hands `command` to the instance that answers on the control socket and
// returns the process's exit code: 0 when the instance took it; 1, said on
// stderr, when no instance runs, none can be reached from here, or it did not
// answer in time.
int SendControlCommand(ControlCommand command);
