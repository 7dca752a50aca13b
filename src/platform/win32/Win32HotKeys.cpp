#include "platform/win32/Win32HotKeys.h"

#include <string>

namespace platform::win32 {

namespace {

constexpr wchar_t kWindowClass[] = L"QuorvelHotKeyWindow";

// Registers the window class; any registration after the first fails
// with ERROR_CLASS_ALREADY_EXISTS, which is as good as success here.
bool registerWindowClass(WNDPROC procedure)
{
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kWindowClass;
    return RegisterClassExW(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

std::string describeCombination(int id, std::uint32_t modifiers, std::uint32_t virtualKey)
{
    return "hot key " + std::to_string(id) + " (modifiers " + std::to_string(modifiers) + ", virtual key " +
           std::to_string(virtualKey) + ")";
}

} // namespace

Win32HotKeys::Win32HotKeys()
{
    if (!registerWindowClass(&Win32HotKeys::windowProc)) {
        m_createError = GetLastError();
        return;
    }
    // A message-only window: never shown, not enumerated, but it has a window
    // procedure and receives posted messages such as WM_HOTKEY.
    m_window = CreateWindowExW(0, kWindowClass, L"Quorvel hot keys", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                               GetModuleHandleW(nullptr), this);
    if (!m_window)
        m_createError = GetLastError();
}

Win32HotKeys::~Win32HotKeys()
{
    if (!m_window)
        return;
    for (int id : m_registered)
        UnregisterHotKey(m_window, id);
    DestroyWindow(m_window);
}

Result Win32HotKeys::status() const
{
    if (m_window)
        return Result::success();
    return Result::failure(m_createError, "cannot create the window that receives hot keys (error " +
                                              std::to_string(m_createError) + ")");
}

Result Win32HotKeys::registerHotKey(int id, std::uint32_t modifiers, std::uint32_t virtualKey)
{
    if (!m_window)
        return status();
    // MOD_NOREPEAT: a held combination fires once, not again with every
    // auto-repeat of its key, so holding the start/stop key does not toggle
    // playback on and off. Every Windows that Qt 6 runs on (10 and later)
    // knows the flag; it came with Windows 7.
    if (!RegisterHotKey(m_window, id, modifiers | MOD_NOREPEAT, virtualKey)) {
        // ERROR_HOTKEY_ALREADY_REGISTERED (1409) when another registration,
        // ours or another program's, holds the combination.
        const DWORD error = GetLastError();
        return Result::failure(error, "cannot register " + describeCombination(id, modifiers, virtualKey) + " (error " +
                                          std::to_string(error) + ")");
    }
    m_registered.insert(id);
    return Result::success();
}

Result Win32HotKeys::unregisterHotKey(int id)
{
    if (!m_window)
        return status();
    if (!UnregisterHotKey(m_window, id)) {
        const DWORD error = GetLastError();
        return Result::failure(error, "cannot unregister hot key " + std::to_string(id) + " (error " +
                                          std::to_string(error) + ")");
    }
    m_registered.erase(id);
    return Result::success();
}

void Win32HotKeys::setPressHandler(PressHandler handler)
{
    m_handler = std::move(handler);
}

std::uint32_t Win32HotKeys::heldModifiers()
{
    // The high bit of GetAsyncKeyState's result is set while the key is down.
    // VK_SHIFT, VK_CONTROL and VK_MENU stand for either side's key; the
    // Windows keys have no such combined code.
    const auto down = [](int virtualKey) { return (GetAsyncKeyState(virtualKey) & 0x8000) != 0; };
    std::uint32_t held = 0;
    if (down(VK_MENU))
        held |= kModAlt;
    if (down(VK_CONTROL))
        held |= kModControl;
    if (down(VK_SHIFT))
        held |= kModShift;
    if (down(VK_LWIN) || down(VK_RWIN))
        held |= kModWin;
    return held;
}

LRESULT CALLBACK Win32HotKeys::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    } else if (message == WM_HOTKEY) {
        auto* self = reinterpret_cast<Win32HotKeys*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        // lParam carries the modifiers in its low word and the virtual-key
        // code in its high word.
        if (self && self->m_handler)
            self->m_handler(static_cast<int>(wParam), LOWORD(lParam), HIWORD(lParam));
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace platform::win32
