#include "platform/win32/Win32Platform.h"

#include <windows.h>

#include <string>

namespace platform {

namespace win32 {

Result Win32Platform::check()
{
    if (Result window = m_hotKeys.status(); !window)
        return window;
    POINT position{};
    if (!GetCursorPos(&position)) {
        const DWORD error = GetLastError();
        return Result::failure(error, "the mouse pointer cannot be read: this process has no interactive desktop "
                                      "(error " +
                                          std::to_string(error) + ")");
    }
    return Result::success();
}

} // namespace win32

NativeChoice chooseNative()
{
    NativeChoice choice;
    choice.backend = Backend::Win32;
    return choice;
}

std::unique_ptr<Platform> createNative(const NativeChoice&)
{
    return createNative();
}

std::unique_ptr<Platform> createNative()
{
    return std::make_unique<win32::Win32Platform>();
}

Result checkDisplay()
{
    return Result::success(); // the desktop of the session is always there
}

} // namespace platform
