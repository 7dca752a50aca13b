// The generated layer-shell client code, usable from C++: the protocol
// calls an argument "namespace", which is a keyword here.
#pragma once

#include <wayland-client.h>

#define namespace layer_namespace
#include "wlr-layer-shell-unstable-v1-client-protocol.h"
#undef namespace
