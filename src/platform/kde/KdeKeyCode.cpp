#include "platform/kde/KdeKeyCode.h"

#include "platform/Platform.h"

namespace platform::kde {
namespace {

// Qt's modifier bits and the codes of keys that are not characters.
constexpr int kShift = 0x02000000;
constexpr int kControl = 0x04000000;
constexpr int kAlt = 0x08000000;
constexpr int kMeta = 0x10000000;
constexpr int kKeypad = 0x20000000;
constexpr int kF1 = 0x01000030;

struct Named {
    std::uint32_t virtualKey;
    int key;
};

constexpr Named kNamed[] = {
    {0x08, 0x01000003}, // Backspace
    {0x09, 0x01000001}, // Tab
    {0x0D, 0x01000004}, // Return
    {0x13, 0x01000008}, // Pause
    {0x1B, 0x01000000}, // Escape
    {0x20, 0x20},       // Space
    {0x21, 0x01000016}, // Page Up
    {0x22, 0x01000017}, // Page Down
    {0x23, 0x01000011}, // End
    {0x24, 0x01000010}, // Home
    {0x25, 0x01000012}, // Left
    {0x26, 0x01000013}, // Up
    {0x27, 0x01000014}, // Right
    {0x28, 0x01000015}, // Down
    {0x2C, 0x01000009}, // Print
    {0x2D, 0x01000006}, // Insert
    {0x2E, 0x01000007}, // Delete
};

int keyFor(std::uint32_t vk)
{
    // Digits and letters share their codes with Qt's.
    if ((vk >= '0' && vk <= '9') || (vk >= 'A' && vk <= 'Z'))
        return static_cast<int>(vk);
    if (vk >= 0x60 && vk <= 0x69) // the keypad's digits
        return kKeypad | static_cast<int>('0' + vk - 0x60);
    if (vk >= 0x70 && vk <= 0x87) // F1 to F24
        return kF1 + static_cast<int>(vk - 0x70);
    for (const Named& named : kNamed)
        if (named.virtualKey == vk)
            return named.key;
    return 0;
}

} // namespace

int kdeKeyCodeFor(std::uint32_t modifiers, std::uint32_t virtualKey)
{
    const int key = keyFor(virtualKey);
    if (key == 0)
        return 0;
    return key | (modifiers & kModShift ? kShift : 0) | (modifiers & kModControl ? kControl : 0) |
           (modifiers & kModAlt ? kAlt : 0) | (modifiers & kModWin ? kMeta : 0);
}

} // namespace platform::kde
