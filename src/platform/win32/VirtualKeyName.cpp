#include "platform/VirtualKeyName.h"

#include <windows.h>

#include <cstdio>
#include <iterator>

namespace platform {
namespace {

// Keys whose scan code comes with the extended-key prefix. Most share their
// code with a keypad key (Num Lock with Pause): only the extended-key bit
// tells the system which one is meant.
bool isExtendedKey(std::uint32_t virtualKey)
{
    switch (virtualKey) {
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN:
    case VK_INSERT:
    case VK_DELETE:
    case VK_HOME:
    case VK_END:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_NUMLOCK:
    case VK_DIVIDE:
    case VK_LWIN:
    case VK_RWIN:
    case VK_APPS:
        return true;
    default:
        return false;
    }
}

std::string utf8(const wchar_t* text, int length)
{
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, length, out.data(), size, nullptr, nullptr);
    return out;
}

} // namespace

// The name the system gives the key's scan code in the current keyboard
// layout, as the Windows hot-key control shows it.
std::string virtualKeyName(std::uint32_t virtualKey)
{
    if (virtualKey == 0)
        return {};
    const UINT scanCode = MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC);
    if (scanCode != 0) {
        // GetKeyNameText takes the scan code in bits 16 to 23 and the
        // extended-key flag in bit 24, as in a key message's lParam.
        LONG keyData = static_cast<LONG>((scanCode & 0xFF) << 16);
        if (isExtendedKey(virtualKey))
            keyData |= 1L << 24;
        wchar_t name[64];
        const int length = GetKeyNameTextW(keyData, name, static_cast<int>(std::size(name)));
        if (length > 0)
            return utf8(name, length);
    }
    char text[16];
    std::snprintf(text, sizeof text, "Key 0x%02X", static_cast<unsigned>(virtualKey));
    return text;
}

} // namespace platform
