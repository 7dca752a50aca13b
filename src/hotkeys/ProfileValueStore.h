// The program's settings profile as the place where back ends keep values
// between runs (the "Settings" section, under the back end's own names).
#pragma once

#include "platform/Platform.h"

// One store for the life of the process; it reads and writes through the
// application object and keeps nothing when there is none.
platform::ValueStore& profileValueStore();
