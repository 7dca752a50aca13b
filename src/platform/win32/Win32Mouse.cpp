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

std::optional<Point> readCursorPos()
{
    // GetCursorPos fails only without an interactive desktop, which check()
    // reports at start.
    POINT position{};
    if (!GetCursorPos(&position))
        return std::nullopt;
    return Point{position.x, position.y};
}

void sendButton(Button button, ButtonAction action)
{
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = buttonFlag(button, action);
    SendInput(1, &input, sizeof input);
}

// The calls work from any thread of the interactive desktop.
class Win32MouseRun final : public MouseRun {
public:
    using MouseRun::MouseRun;
    std::optional<Point> cursorPos() override { return readCursorPos(); }
    void setCursorPos(int x, int y) override { SetCursorPos(x, y); }
    bool button(Button button, ButtonAction action) override
    {
        sendButton(button, action);
        return true;
    }
};

} // namespace

std::optional<Point> Win32Mouse::cursorPos()
{
    return readCursorPos();
}

void Win32Mouse::setCursorPos(int x, int y)
{
    SetCursorPos(x, y);
}

void Win32Mouse::button(Button button, ButtonAction action)
{
    sendButton(button, action);
}

void Win32Mouse::pause(std::uint32_t ms)
{
    Sleep(ms);
}

std::unique_ptr<MouseRun> Win32Mouse::openRun(RunWait& wait)
{
    return std::make_unique<Win32MouseRun>(wait);
}

} // namespace platform::win32
