// The two forms of a hot key's modifiers: the hot-key field's HOTKEYF_ bits
// and the MOD_ bits the system registers and the profile stores. One fixed
// table serves both directions; bits outside it are dropped.
#pragma once

#include "framework/Win32Types.h"

WORD ControlToSystemModifiers(WORD controlForm);
WORD SystemToControlModifiers(WORD systemForm);
