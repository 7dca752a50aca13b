// On Windows the native key of a key event is its virtual-key code.
#include "framework/KeyMapping.h"

WORD VirtualKeyFromNativeKey(quint32 nativeVirtualKey)
{
    return nativeVirtualKey <= 0xFF ? static_cast<WORD>(nativeVirtualKey) : 0;
}
