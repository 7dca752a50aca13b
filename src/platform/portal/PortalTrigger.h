// Hot keys in the trigger syntax of the desktop portal's global shortcuts:
// the modifiers CTRL, ALT, SHIFT and LOGO and an xkbcommon key name, joined
// by '+', e.g. "CTRL+ALT+s" or "LOGO+F5".
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace platform::portal {

struct HotKeyCombination {
    std::uint32_t modifiers = 0; // kMod* bits
    std::uint32_t virtualKey = 0;
    friend bool operator==(const HotKeyCombination& a, const HotKeyCombination& b)
    {
        return a.modifiers == b.modifiers && a.virtualKey == b.virtualKey;
    }
};

// The trigger of a stored hot key; "" when the key has no name in the
// keyboard's vocabulary. Modifiers come in the order CTRL, ALT, SHIFT, LOGO.
std::string triggerFor(HotKeyCombination combination);

// The hot key a trigger stands for; nothing when it names a modifier this
// program cannot register (NUM), a key it does not know, or no key at all.
// Modifier names are read without regard to case; key names as xkbcommon
// spells them, though an uppercase letter is taken as its key.
std::optional<HotKeyCombination> combinationForTrigger(const std::string& trigger);

} // namespace platform::portal
