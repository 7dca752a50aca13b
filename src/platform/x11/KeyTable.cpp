#include "platform/x11/KeyTable.h"

#include "platform/Platform.h"

#include <X11/X.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <type_traits>
#include <utility>

static_assert(std::is_same_v<KeySym, unsigned long>, "KeySym is passed as unsigned long");

namespace platform::x11 {
namespace {

struct KeyPair {
    std::uint32_t virtualKey;
    unsigned long keysym;
};

// Keys that are not part of a contiguous run (letters, digits, function keys
// and keypad digits are computed below).
constexpr KeyPair kSingleKeys[] = {
    {0x08, XK_BackSpace},    {0x09, XK_Tab},          {0x0D, XK_Return},      {0x13, XK_Pause},
    {0x14, XK_Caps_Lock},    {0x1B, XK_Escape},       {0x20, XK_space},       {0x21, XK_Prior},
    {0x22, XK_Next},         {0x23, XK_End},          {0x24, XK_Home},        {0x25, XK_Left},
    {0x26, XK_Up},           {0x27, XK_Right},        {0x28, XK_Down},        {0x2C, XK_Print},
    {0x2D, XK_Insert},       {0x2E, XK_Delete},       {0x5D, XK_Menu},        {0x6A, XK_KP_Multiply},
    {0x6B, XK_KP_Add},       {0x6C, XK_KP_Separator}, {0x6D, XK_KP_Subtract}, {0x6E, XK_KP_Decimal},
    {0x6F, XK_KP_Divide},    {0x90, XK_Num_Lock},     {0x91, XK_Scroll_Lock}, {0xBA, XK_semicolon},
    {0xBB, XK_equal},        {0xBC, XK_comma},        {0xBD, XK_minus},       {0xBE, XK_period},
    {0xBF, XK_slash},        {0xC0, XK_grave},        {0xDB, XK_bracketleft}, {0xDC, XK_backslash},
    {0xDD, XK_bracketright}, {0xDE, XK_apostrophe},
};

// Other keysyms produced by the same physical keys; accepted from X only.
constexpr KeyPair kAlternativeKeysyms[] = {
    {0x0D, XK_KP_Enter},
    {0x09, XK_ISO_Left_Tab},
    {0x2C, XK_Sys_Req},
    {0x13, XK_Break},
};

constexpr std::uint32_t kVkA = 0x41, kVkZ = 0x5A;
constexpr std::uint32_t kVk0 = 0x30, kVk9 = 0x39;
constexpr std::uint32_t kVkF1 = 0x70, kVkF24 = 0x87;
constexpr std::uint32_t kVkNumpad0 = 0x60, kVkNumpad9 = 0x69;

} // namespace

unsigned long keysymForVirtualKey(std::uint32_t virtualKey)
{
    if (virtualKey >= kVkA && virtualKey <= kVkZ)
        return XK_a + (virtualKey - kVkA);
    if (virtualKey >= kVk0 && virtualKey <= kVk9)
        return XK_0 + (virtualKey - kVk0);
    if (virtualKey >= kVkF1 && virtualKey <= kVkF24)
        return XK_F1 + (virtualKey - kVkF1);
    if (virtualKey >= kVkNumpad0 && virtualKey <= kVkNumpad9)
        return XK_KP_0 + (virtualKey - kVkNumpad0);
    for (const KeyPair& pair : kSingleKeys) {
        if (pair.virtualKey == virtualKey)
            return pair.keysym;
    }
    return NoSymbol;
}

std::uint32_t virtualKeyForKeysym(unsigned long keysym)
{
    if (keysym >= XK_a && keysym <= XK_z)
        return kVkA + static_cast<std::uint32_t>(keysym - XK_a);
    if (keysym >= XK_A && keysym <= XK_Z)
        return kVkA + static_cast<std::uint32_t>(keysym - XK_A);
    if (keysym >= XK_0 && keysym <= XK_9)
        return kVk0 + static_cast<std::uint32_t>(keysym - XK_0);
    if (keysym >= XK_F1 && keysym <= XK_F24)
        return kVkF1 + static_cast<std::uint32_t>(keysym - XK_F1);
    if (keysym >= XK_KP_0 && keysym <= XK_KP_9)
        return kVkNumpad0 + static_cast<std::uint32_t>(keysym - XK_KP_0);
    for (const KeyPair& pair : kSingleKeys) {
        if (pair.keysym == keysym)
            return pair.virtualKey;
    }
    for (const KeyPair& pair : kAlternativeKeysyms) {
        if (pair.keysym == keysym)
            return pair.virtualKey;
    }
    return 0;
}

std::string combinationText(std::uint32_t modBits, std::uint32_t virtualKey, const ModifierNames& names)
{
    const unsigned long keysym = keysymForVirtualKey(virtualKey);
    const char* keyName = keysym != NoSymbol ? XKeysymToString(keysym) : nullptr;
    if (!keyName)
        return {};
    std::string text;
    for (const auto& [bit, name] : {std::pair{kModControl, names.control}, std::pair{kModAlt, names.alt},
                                    std::pair{kModShift, names.shift}, std::pair{kModWin, names.win}}) {
        if (modBits & bit)
            text += std::string(name) + "+";
    }
    return text + keyName;
}

std::uint32_t virtualKeyForKeysymName(const std::string& name)
{
    return virtualKeyForKeysym(XStringToKeysym(name.c_str()));
}

unsigned int xModifiersForModBits(std::uint32_t modBits)
{
    unsigned int mask = 0;
    if (modBits & kModAlt)
        mask |= Mod1Mask;
    if (modBits & kModControl)
        mask |= ControlMask;
    if (modBits & kModShift)
        mask |= ShiftMask;
    if (modBits & kModWin)
        mask |= Mod4Mask;
    return mask;
}

std::uint32_t modBitsForXModifiers(unsigned int state)
{
    std::uint32_t bits = 0;
    if (state & Mod1Mask)
        bits |= kModAlt;
    if (state & ControlMask)
        bits |= kModControl;
    if (state & ShiftMask)
        bits |= kModShift;
    if (state & Mod4Mask)
        bits |= kModWin;
    return bits;
}

unsigned int relevantXModifiers(unsigned int state)
{
    return state & (ShiftMask | ControlMask | Mod1Mask | Mod4Mask);
}

} // namespace platform::x11
