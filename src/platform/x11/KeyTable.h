// Translation between the Windows vocabulary of hot keys (virtual-key codes,
// MOD_ modifier bits) and X11's (keysyms, modifier masks).
//
// Keysyms and masks are passed as plain integers (a KeySym is an unsigned
// long, a modifier mask an unsigned int) so that this header needs no X
// header and can be tested on its own.
#pragma once

#include <cstdint>
#include <string>

namespace platform::x11 {

// The keysym a virtual-key code stands for, or 0 (NoSymbol) when the code
// has no X equivalent. Letters map to their lowercase keysyms.
unsigned long keysymForVirtualKey(std::uint32_t virtualKey);

// The virtual-key code of a keysym, or 0 when it has none. Uppercase letter
// keysyms, the keypad Enter, Shift+Tab's ISO_Left_Tab, Sys_Req and Break are
// accepted as the keys they are typed on.
std::uint32_t virtualKeyForKeysym(unsigned long keysym);

// A hot key as text: the names of its modifiers, each followed by '+', in
// the order Control, Alt, Shift, Win, then the key's keysym name ("s", "F5",
// "Prior"), which xkbcommon shares. Empty when the key has no keysym.
struct ModifierNames {
    const char* control;
    const char* alt;
    const char* shift;
    const char* win;
};
std::string combinationText(std::uint32_t modBits, std::uint32_t virtualKey, const ModifierNames& names);

// The virtual-key code of a keysym name, or 0 when it names no key that has one.
std::uint32_t virtualKeyForKeysymName(const std::string& name);

// MOD_ALT, MOD_CONTROL, MOD_SHIFT and MOD_WIN bits as an X modifier mask
// (Mod1, Control, Shift, Mod4); other bits are ignored.
unsigned int xModifiersForModBits(std::uint32_t modBits);

// An X event state as MOD_ bits; only Shift, Control, Mod1 and Mod4 count,
// so Num Lock, Caps Lock and the pointer buttons are ignored.
std::uint32_t modBitsForXModifiers(unsigned int state);

// The modifiers of an X event state that take part in a hot key.
unsigned int relevantXModifiers(unsigned int state);

} // namespace platform::x11
