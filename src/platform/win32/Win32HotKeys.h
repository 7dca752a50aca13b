// System-wide hot keys on Windows: RegisterHotKey on a message-only window
// that this object owns, whose window procedure turns WM_HOTKEY into a call
// of the press handler.
//
// The window belongs to the thread that constructs the object, and WM_HOTKEY
// is posted to that thread's queue, so construct it on the UI thread: the
// thread's ordinary message loop (Qt's on Windows) then delivers the presses.
#pragma once

#include "platform/Platform.h"

#include <windows.h>

#include <set>

namespace platform::win32 {

class Win32HotKeys final : public HotKeys {
public:
    Win32HotKeys();
    ~Win32HotKeys() override;
    Win32HotKeys(const Win32HotKeys&) = delete;
    Win32HotKeys& operator=(const Win32HotKeys&) = delete;

    Result registerHotKey(int id, std::uint32_t modifiers, std::uint32_t virtualKey) override;
    Result unregisterHotKey(int id) override;
    void setPressHandler(PressHandler handler) override;
    // Reads the keyboard's state as it is now (GetAsyncKeyState), not as the
    // calling thread's queue last saw it: both left and right keys count.
    std::uint32_t heldModifiers() override;

    // Success when the message window exists, otherwise the error of its
    // creation.
    Result status() const;

private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND m_window = nullptr;
    DWORD m_createError = 0;
    std::set<int> m_registered;
    PressHandler m_handler;
};

} // namespace platform::win32
