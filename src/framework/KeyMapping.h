// Keys as Qt reports them and as the hot keys store them: Windows
// virtual-key codes and the hot-key field's HOTKEYF_ modifier bits.
//
// A key is taken from the event's native key where the system gives one
// (a keysym on X11 and Wayland, the virtual-key code itself on Windows), and
// otherwise from Qt's key code. Letters, digits, F1 to F24, navigation and
// editing keys, the keypad and the US-layout punctuation keys are known;
// shifted punctuation counts as the key it is typed on (Shift+1 is "1").
#pragma once

#include "framework/Win32Types.h"

#include <Qt>

class QKeyEvent;

// The virtual-key code of Qt key `qtKey`, typed on the keypad when `keypad`
// is set; 0 for a key without one (modifier keys among them).
WORD VirtualKeyFromQtKey(int qtKey, bool keypad);
// The Qt key that types `virtualKey` and whether it is on the keypad;
// 0 when there is none.
int QtKeyFromVirtualKey(WORD virtualKey, bool* keypad = nullptr);

// The virtual-key code of the key that `event` is about; 0 for none.
WORD VirtualKeyFromKeyEvent(const QKeyEvent& event);
// The virtual-key code of a native key as the running platform plugin gives
// it (QKeyEvent::nativeVirtualKey); 0 when it means nothing here.
WORD VirtualKeyFromNativeKey(quint32 nativeVirtualKey);

// Ctrl, Shift, Alt and Meta (the Windows key) as HOTKEYF_ bits and back;
// the Windows key is HOTKEYF_EXT, the bit that the stored form calls MOD_WIN.
WORD HotKeyModifiersFromQt(Qt::KeyboardModifiers modifiers);
Qt::KeyboardModifiers QtModifiersFromHotKey(WORD modifiers);

// The HOTKEYF_ bit of a modifier key (Control, Shift, Alt, Meta, Super);
// 0 for any other key.
WORD HotKeyModifierOfKey(int qtKey);
