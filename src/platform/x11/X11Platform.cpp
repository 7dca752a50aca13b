// Placeholder until the X11 back end lands: reports itself as unusable.
#include "platform/Platform.h"

namespace platform {
namespace {
class UnavailableMouse final : public Mouse {
public:
    Point cursorPos() override { return {}; }
    void setCursorPos(int, int) override {}
    void button(Button, ButtonAction) override {}
    void pause(std::uint32_t) override {}
};
class UnavailableHotKeys final : public HotKeys {
public:
    Result registerHotKey(int, std::uint32_t, std::uint32_t) override { return Result::failure(1, "unavailable"); }
    Result unregisterHotKey(int) override { return Result::failure(1, "unavailable"); }
    void setPressHandler(PressHandler) override {}
};
class UnavailableShell final : public Shell {
public:
    Result registerFileType(const FileTypeRegistration&) override { return Result::success(); }
};
class UnavailablePlatform final : public Platform {
public:
    Result check() override { return Result::failure(1, "the X11 back end is not built yet"); }
    Mouse& mouse() override { return m_mouse; }
    HotKeys& hotKeys() override { return m_hotKeys; }
    Shell& shell() override { return m_shell; }
private:
    UnavailableMouse m_mouse;
    UnavailableHotKeys m_hotKeys;
    UnavailableShell m_shell;
};
} // namespace

std::unique_ptr<Platform> createNative()
{
    return std::make_unique<UnavailablePlatform>();
}
} // namespace platform
