#include "hotkeys/HotKeyEncoding.h"

namespace {
struct ModifierPair {
    WORD control;
    WORD system;
};
constexpr ModifierPair kModifierTable[] = {
    {HOTKEYF_SHIFT, MOD_SHIFT},
    {HOTKEYF_CONTROL, MOD_CONTROL},
    {HOTKEYF_ALT, MOD_ALT},
    {HOTKEYF_EXT, MOD_WIN},
};
} // namespace

WORD ControlToSystemModifiers(WORD controlForm)
{
    WORD system = 0;
    for (const ModifierPair& m : kModifierTable)
        if (controlForm & m.control)
            system |= m.system;
    return system;
}

WORD SystemToControlModifiers(WORD systemForm)
{
    WORD control = 0;
    for (const ModifierPair& m : kModifierTable)
        if (systemForm & m.system)
            control |= m.control;
    return control;
}
