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
    // Under Wine, Qt's default (GDI) font engine draws no text in a line edit
    // and measures every family with whatever host font Wine offers, which
    // clips labels; its FreeType engine draws them right. Wine is known by
    // the function its ntdll adds. Windows itself keeps Qt's default.
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    if (ntdll && GetProcAddress(ntdll, "wine_get_version"))
        choice.qtPlatform = "windows:fontengine=freetype";
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
