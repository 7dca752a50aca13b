#include "platform/win32/Win32Mouse.h"

#include <windows.h>

namespace platform::win32 {

namespace {

// Exactly one button flag per event and nothing else: without
// MOUSEEVENTF_MOVE and MOUSEEVENTF_ABSOLUTE the event happens where the
// pointer already is, so a click lands where setCursorPos put the pointer.
DWORD buttonFlag(Button button, ButtonAction action)
{
    const bool down = action == ButtonAction::Down;
    if (button == Button::Left)
        return down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
    return down ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_RIGHTUP;
}

} // namespace

std::optional<Point> Win32Mouse::cursorPos()
{
    // GetCursorPos fails only without an interactive desktop, which check()
    // reports at start.
    POINT position{};
    if (!GetCursorPos(&position))
        return std::nullopt;
    return Point{position.x, position.y};
}

void Win32Mouse::setCursorPos(int x, int y)
{
    SetCursorPos(x, y);
}

void Win32Mouse::button(Button button, ButtonAction action)
{
    mouse_event(buttonFlag(button, action), 0, 0, 0, 0);
}

void Win32Mouse::pause(std::uint32_t ms)
{
    Sleep(ms);
}

} // namespace platform::win32
