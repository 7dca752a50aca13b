#include "platform/portal/PortalTrigger.h"

#include "platform/Platform.h"
#include "platform/x11/KeyTable.h"

#include <algorithm>
#include <cctype>
#include <sstream>

namespace platform::portal {
namespace {

constexpr x11::ModifierNames kTriggerModifiers{"CTRL", "ALT", "SHIFT", "LOGO"};

struct ModifierName {
    std::uint32_t bit;
    const char* name;
};

constexpr ModifierName kModifierNames[] = {
    {kModControl, kTriggerModifiers.control},
    {kModAlt, kTriggerModifiers.alt},
    {kModShift, kTriggerModifiers.shift},
    {kModWin, kTriggerModifiers.win},
};

std::string upper(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::toupper(c); });
    return text;
}

} // namespace

std::string triggerFor(HotKeyCombination combination)
{
    return x11::combinationText(combination.modifiers, combination.virtualKey, kTriggerModifiers);
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
    combination.virtualKey = x11::virtualKeyForKeysymName(key);
    if (combination.virtualKey == 0)
        return std::nullopt;
    return combination;
}

} // namespace platform::portal
