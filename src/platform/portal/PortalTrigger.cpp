#include "platform/portal/PortalTrigger.h"

#include "platform/Platform.h"
#include "platform/x11/KeyTable.h"

#include <X11/Xlib.h>

#include <algorithm>
#include <cctype>
#include <sstream>

namespace platform::portal {
namespace {

struct ModifierName {
    std::uint32_t bit;
    const char* name;
};

constexpr ModifierName kModifierNames[] = {
    {kModControl, "CTRL"},
    {kModAlt, "ALT"},
    {kModShift, "SHIFT"},
    {kModWin, "LOGO"},
};

std::string upper(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::toupper(c); });
    return text;
}

} // namespace

std::string triggerFor(HotKeyCombination combination)
{
    const unsigned long keysym = x11::keysymForVirtualKey(combination.virtualKey);
    const char* keyName = keysym ? XKeysymToString(keysym) : nullptr;
    if (!keyName)
        return {};
    std::string trigger;
    for (const ModifierName& modifier : kModifierNames) {
        if (combination.modifiers & modifier.bit)
            trigger += std::string(modifier.name) + "+";
    }
    return trigger + keyName;
}

std::optional<HotKeyCombination> combinationForTrigger(const std::string& trigger)
{
    HotKeyCombination combination;
    std::istringstream parts(trigger);
    std::string part;
    std::string key;
    while (std::getline(parts, part, '+')) {
        if (!key.empty() || part.empty())
            return std::nullopt; // only the last part may be a key
        const auto modifier = std::find_if(std::begin(kModifierNames), std::end(kModifierNames),
                                           [&](const ModifierName& m) { return upper(part) == m.name; });
        if (modifier != std::end(kModifierNames))
            combination.modifiers |= modifier->bit;
        else
            key = part;
    }
    if (key.empty())
        return std::nullopt;
    combination.virtualKey = x11::virtualKeyForKeysym(XStringToKeysym(key.c_str()));
    if (combination.virtualKey == 0)
        return std::nullopt;
    return combination;
}

} // namespace platform::portal
