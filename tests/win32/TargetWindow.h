// A small top-most window at a known place on the screen that records the
// mouse-button messages it receives, with their client positions, in order.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace quorvel::win32test {

struct ButtonMessage {
    UINT message = 0; // WM_LBUTTONDOWN, WM_LBUTTONUP, WM_RBUTTONDOWN, WM_RBUTTONUP
    int x = 0;        // client coordinates
    int y = 0;
};

// The messages in order, as "L down (20,30), L up (20,30), R down ...".
std::string describe(const std::vector<ButtonMessage>& messages);

class TargetWindow {
public:
    // A borderless window whose client area covers exactly this screen
    // rectangle.
    TargetWindow(int x, int y, int width, int height);
    ~TargetWindow();
    TargetWindow(const TargetWindow&) = delete;
    TargetWindow& operator=(const TargetWindow&) = delete;

    bool isOpen() const { return m_window != nullptr; }
    HWND handle() const { return m_window; }
    POINT toScreen(int clientX, int clientY) const;
    const std::vector<ButtonMessage>& messages() const { return m_messages; }
    void clear() { m_messages.clear(); }

private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND m_window = nullptr;
    std::vector<ButtonMessage> m_messages;
};

} // namespace quorvel::win32test
