#include "TargetWindow.h"

#include <windowsx.h>

namespace quorvel::win32test {

namespace {
constexpr wchar_t kWindowClass[] = L"QuorvelClickTarget";
}

std::string describe(const std::vector<ButtonMessage>& messages)
{
    std::string text;
    for (const ButtonMessage& m : messages) {
        const char* name = m.message == WM_LBUTTONDOWN   ? "L down"
                           : m.message == WM_LBUTTONUP   ? "L up"
                           : m.message == WM_RBUTTONDOWN ? "R down"
                           : m.message == WM_RBUTTONUP   ? "R up"
                                                         : "other";
        text +=
            std::string(text.empty() ? "" : ", ") + name + " (" + std::to_string(m.x) + "," + std::to_string(m.y) + ")";
    }
    return text;
}

TargetWindow::TargetWindow(int x, int y, int width, int height)
{
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = &TargetWindow::windowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = kWindowClass;
    // No CS_DBLCLKS: a second click stays a plain down/up pair, which is what
    // the tests count.
    if (!RegisterClassExW(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        return;
    m_window = CreateWindowExW(WS_EX_TOPMOST, kWindowClass, L"Quorvel click target", WS_POPUP, x, y, width, height,
                               nullptr, nullptr, GetModuleHandleW(nullptr), this);
    if (!m_window)
        return;
    ShowWindow(m_window, SW_SHOWNORMAL);
    UpdateWindow(m_window);
}

TargetWindow::~TargetWindow()
{
    if (m_window)
        DestroyWindow(m_window);
}

POINT TargetWindow::toScreen(int clientX, int clientY) const
{
    POINT point{clientX, clientY};
    ClientToScreen(m_window, &point);
    return point;
}

LRESULT CALLBACK TargetWindow::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
        if (auto* self = reinterpret_cast<TargetWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA)))
            self->m_messages.push_back({message, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

} // namespace quorvel::win32test
