#include "platform/Platform.h"

#include <cassert>

namespace platform {

namespace {
Platform* g_current = nullptr;
}

Platform& current()
{
    assert(g_current && "platform::setCurrent must run before the platform is used");
    return *g_current;
}

void setCurrent(Platform* platform)
{
    g_current = platform;
}

} // namespace platform
