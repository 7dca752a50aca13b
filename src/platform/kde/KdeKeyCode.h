// A stored hot key (virtual-key code and MOD_ bits) as KDE's global
// shortcut service (kglobalaccel) takes it: a Qt key code with Qt's
// modifier bits, as one int.
#pragma once

#include <cstdint>

namespace platform::kde {

// The key code; 0 when the key has no Qt name here (punctuation keys, whose
// name depends on the keyboard layout, and keys no shortcut can use).
int kdeKeyCodeFor(std::uint32_t modifiers, std::uint32_t virtualKey);

} // namespace platform::kde
