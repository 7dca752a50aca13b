// File-type registration on a freedesktop desktop (MIME type, desktop entry,
// icon, default association), for the current user.
#pragma once

#include "platform/Platform.h"

#include <memory>

namespace platform::x11 {

std::unique_ptr<Shell> createXdgShell();

} // namespace platform::x11
