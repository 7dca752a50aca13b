// The Windows back end: plain Win32 calls, no Qt.
#pragma once

#include "platform/Platform.h"
#include "platform/win32/RegistryShell.h"
#include "platform/win32/Win32HotKeys.h"
#include "platform/win32/Win32Mouse.h"

namespace platform::win32 {

class Win32Platform final : public Platform {
public:
    // Fails when the hot-key window could not be created or the pointer
    // cannot be read (a process without an interactive desktop, such as a
    // service, can neither read nor inject input).
    Result check() override;
    std::string clickPath() override { return "Windows (SendInput)"; }
    Mouse& mouse() override { return m_mouse; }
    HotKeys& hotKeys() override { return m_hotKeys; }
    Shell& shell() override { return m_shell; }

private:
    Win32Mouse m_mouse;
    Win32HotKeys m_hotKeys;
    RegistryShell m_shell;
};

} // namespace platform::win32
