// The Win32 hot keys end to end: a combination registered by the back end is
// pressed with SendInput, and the press must come back through the thread's
// message queue as a call of the press handler.
#include "MessagePump.h"
#include "TestRunner.h"

#include "platform/VirtualKeyName.h"
#include "platform/win32/Win32HotKeys.h"

#include <windows.h>

#include <string>
#include <vector>

using namespace quorvel::win32test;
using platform::Result;
using platform::win32::Win32HotKeys;

namespace {

constexpr std::uint32_t kCtrlAlt = platform::kModControl | platform::kModAlt;
constexpr std::uint32_t kVkP = 'P';

struct Press {
    int id;
    std::uint32_t modifiers;
    std::uint32_t virtualKey;
};

std::string describe(const std::vector<Press>& presses)
{
    std::string text;
    for (const Press& p : presses)
        text += (text.empty() ? "" : ", ") + std::to_string(p.id) + ":" + std::to_string(p.modifiers) + ":" +
                std::to_string(p.virtualKey);
    return text;
}

INPUT keyInput(WORD virtualKey, bool up)
{
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return input;
}

// Presses and releases `virtualKey` with the modifier keys of `modifiers`
// held, the way a user types a combination.
void pressCombination(std::uint32_t modifiers, std::uint32_t virtualKey)
{
    std::vector<WORD> held;
    if (modifiers & platform::kModControl)
        held.push_back(VK_CONTROL);
    if (modifiers & platform::kModAlt)
        held.push_back(VK_MENU);
    if (modifiers & platform::kModShift)
        held.push_back(VK_SHIFT);
    if (modifiers & platform::kModWin)
        held.push_back(VK_LWIN);
    std::vector<INPUT> inputs;
    for (WORD key : held)
        inputs.push_back(keyInput(key, false));
    inputs.push_back(keyInput(static_cast<WORD>(virtualKey), false));
    inputs.push_back(keyInput(static_cast<WORD>(virtualKey), true));
    for (auto key = held.rbegin(); key != held.rend(); ++key)
        inputs.push_back(keyInput(*key, true));
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

// Collects the presses that one Win32HotKeys reports.
class PressLog {
public:
    explicit PressLog(Win32HotKeys& hotKeys)
    {
        hotKeys.setPressHandler([this](int id, std::uint32_t modifiers, std::uint32_t virtualKey) {
            m_presses.push_back({id, modifiers, virtualKey});
        });
    }
    // Presses the combination and returns what arrived within the bound.
    std::string pressAndCollect(std::uint32_t modifiers, std::uint32_t virtualKey, std::size_t expected)
    {
        m_presses.clear();
        pressCombination(modifiers, virtualKey);
        if (expected > 0)
            pumpUntil([&] { return m_presses.size() >= expected; }, 3000);
        pumpFor(expected > 0 ? 100 : 400);
        return describe(m_presses);
    }

private:
    std::vector<Press> m_presses;
};

} // namespace

int main()
{
    TestRunner runner("win32 hot keys");
    Win32HotKeys hotKeys;
    PressLog log(hotKeys);

    runner.run("the message window that receives the presses exists", [&] { CHECK(hotKeys.status().ok); });

    runner.run("a registered combination calls the press handler with its id, modifiers and key", [&] {
        const Result result = hotKeys.registerHotKey(1, kCtrlAlt, kVkP);
        REQUIRE(result.ok);
        CHECK_EQ(log.pressAndCollect(kCtrlAlt, kVkP, 1), std::string("1:3:80"));
    });

    runner.run("the same combination under another id is refused with 1409 and the first keeps working", [&] {
        const Result result = hotKeys.registerHotKey(2, kCtrlAlt, kVkP);
        CHECK(!result.ok);
        CHECK_EQ(result.error, platform::kErrorHotKeyAlreadyRegistered);
        CHECK(!result.message.empty());
        CHECK_EQ(log.pressAndCollect(kCtrlAlt, kVkP, 1), std::string("1:3:80"));
    });

    runner.run("two hot keys are told apart by their ids", [&] {
        REQUIRE(hotKeys.registerHotKey(2, platform::kModShift, VK_F9).ok);
        CHECK_EQ(log.pressAndCollect(platform::kModShift, VK_F9, 1), std::string("2:4:120"));
        CHECK_EQ(log.pressAndCollect(kCtrlAlt, kVkP, 1), std::string("1:3:80"));
    });

    runner.run("the key alone, without its modifiers, does not fire", [&] {
        CHECK_EQ(log.pressAndCollect(0, kVkP, 0), std::string());
        CHECK_EQ(log.pressAndCollect(platform::kModControl, kVkP, 0), std::string());
    });

    runner.run("an unregistered hot key no longer fires and its combination is free again", [&] {
        REQUIRE(hotKeys.unregisterHotKey(1).ok);
        CHECK_EQ(log.pressAndCollect(kCtrlAlt, kVkP, 0), std::string());
        REQUIRE(hotKeys.registerHotKey(3, kCtrlAlt, kVkP).ok);
        CHECK_EQ(log.pressAndCollect(kCtrlAlt, kVkP, 1), std::string("3:3:80"));
        CHECK_EQ(log.pressAndCollect(platform::kModShift, VK_F9, 1), std::string("2:4:120"));
    });

    runner.run("unregistering an id that holds nothing fails with the system's error", [&] {
        const Result result = hotKeys.unregisterHotKey(1);
        CHECK(!result.ok);
        CHECK(result.error != 0);
        CHECK(!result.message.empty());
    });

    runner.run("a combination held by another window is refused until that owner is destroyed", [&] {
        constexpr std::uint32_t ctrlShift = platform::kModControl | platform::kModShift;
        {
            Win32HotKeys other;
            REQUIRE(other.registerHotKey(10, ctrlShift, 'K').ok);
            CHECK_EQ(hotKeys.registerHotKey(4, ctrlShift, 'K').error, platform::kErrorHotKeyAlreadyRegistered);
        }
        REQUIRE(hotKeys.registerHotKey(4, ctrlShift, 'K').ok);
        CHECK_EQ(log.pressAndCollect(ctrlShift, 'K', 1), std::string("4:6:75"));
    });

    runner.run("the modifier keys held at this moment are read, left and right alike", [&] {
        // Holds or lets go of one key, then waits until the state shows it.
        const auto send = [&](WORD virtualKey, bool up, std::uint32_t expected) {
            INPUT input = keyInput(virtualKey, up);
            SendInput(1, &input, sizeof(INPUT));
            pumpUntil([&] { return hotKeys.heldModifiers() == expected; }, 2000);
            return hotKeys.heldModifiers();
        };
        CHECK_EQ(hotKeys.heldModifiers(), std::uint32_t(0));
        CHECK_EQ(send(VK_LCONTROL, false, platform::kModControl), std::uint32_t(platform::kModControl));
        CHECK_EQ(send(VK_RSHIFT, false, platform::kModControl | platform::kModShift),
                 std::uint32_t(platform::kModControl | platform::kModShift));
        CHECK_EQ(send(VK_LMENU, false, platform::kModControl | platform::kModShift | platform::kModAlt),
                 std::uint32_t(platform::kModControl | platform::kModShift | platform::kModAlt));
        CHECK_EQ(send(VK_LCONTROL, true, platform::kModShift | platform::kModAlt),
                 std::uint32_t(platform::kModShift | platform::kModAlt));
        CHECK_EQ(send(VK_RSHIFT, true, platform::kModAlt), std::uint32_t(platform::kModAlt));
        CHECK_EQ(send(VK_LMENU, true, 0), std::uint32_t(0));
        CHECK_EQ(send(VK_RWIN, false, platform::kModWin), std::uint32_t(platform::kModWin));
        CHECK_EQ(send(VK_RWIN, true, 0), std::uint32_t(0));
    });

    runner.run("the system takes the no-repeat flag, and a press reports the plain combination", [&] {
        // Every registration carries MOD_NOREPEAT. (Wine 8 takes the flag
        // but still fires on every auto-repeat, so only this much shows.)
        constexpr std::uint32_t ctrlShift = platform::kModControl | platform::kModShift;
        REQUIRE(hotKeys.registerHotKey(5, ctrlShift, 'R').ok);
        CHECK_EQ(log.pressAndCollect(ctrlShift, 'R', 1), std::string("5:6:82"));
    });

    runner.run("keys are named by the system, the extended ones apart from the keypad", [&] {
        using platform::virtualKeyName;
        CHECK_EQ(virtualKeyName(0), std::string());
        CHECK_EQ(virtualKeyName('A'), std::string("A"));
        CHECK_EQ(virtualKeyName('5'), std::string("5"));
        CHECK_EQ(virtualKeyName(VK_F5), std::string("F5"));
        // Left shares its scan code with keypad 4, keypad divide with "/".
        CHECK_EQ(virtualKeyName(VK_LEFT), std::string("Left"));
        CHECK(!virtualKeyName(VK_DIVIDE).empty());
        CHECK(virtualKeyName(VK_DIVIDE) != virtualKeyName(VK_OEM_2));
        CHECK(virtualKeyName(VK_DIVIDE) != "Key 0x6F");
    });

    return runner.finish();
}
