#include "framework/KeyMapping.h"

#include <QKeyEvent>

namespace {

struct KeyPair {
    WORD virtualKey;
    int qtKey;
    bool keypad;
};

// Keys outside the contiguous runs (letters, digits, F-keys, keypad digits)
// that are handled in code. The first pair of a virtual-key code is the
// key that types it; later pairs are other Qt keys on the same key.
constexpr KeyPair kKeys[] = {
    {0x08, Qt::Key_Backspace, false},
    {0x09, Qt::Key_Tab, false},
    {0x09, Qt::Key_Backtab, false},
    {0x0D, Qt::Key_Return, false},
    {0x0D, Qt::Key_Enter, true},
    {0x0D, Qt::Key_Enter, false},
    {0x13, Qt::Key_Pause, false},
    {0x14, Qt::Key_CapsLock, false},
    {0x1B, Qt::Key_Escape, false},
    {0x20, Qt::Key_Space, false},
    {0x21, Qt::Key_PageUp, false},
    {0x22, Qt::Key_PageDown, false},
    {0x23, Qt::Key_End, false},
    {0x24, Qt::Key_Home, false},
    {0x25, Qt::Key_Left, false},
    {0x26, Qt::Key_Up, false},
    {0x27, Qt::Key_Right, false},
    {0x28, Qt::Key_Down, false},
    {0x2C, Qt::Key_Print, false},
    {0x2C, Qt::Key_SysReq, false},
    {0x2D, Qt::Key_Insert, false},
    {0x2E, Qt::Key_Delete, false},
    {0x5D, Qt::Key_Menu, false},
    {0x6A, Qt::Key_Asterisk, true},
    {0x6B, Qt::Key_Plus, true},
    {0x6C, Qt::Key_Comma, true},
    {0x6D, Qt::Key_Minus, true},
    {0x6E, Qt::Key_Period, true},
    {0x6F, Qt::Key_Slash, true},
    {0x90, Qt::Key_NumLock, false},
    {0x91, Qt::Key_ScrollLock, false},
    {0xBA, Qt::Key_Semicolon, false},
    {0xBA, Qt::Key_Colon, false},
    {0xBB, Qt::Key_Equal, false},
    {0xBB, Qt::Key_Plus, false},
    {0xBC, Qt::Key_Comma, false},
    {0xBC, Qt::Key_Less, false},
    {0xBD, Qt::Key_Minus, false},
    {0xBD, Qt::Key_Underscore, false},
    {0xBE, Qt::Key_Period, false},
    {0xBE, Qt::Key_Greater, false},
    {0xBF, Qt::Key_Slash, false},
    {0xBF, Qt::Key_Question, false},
    {0xC0, Qt::Key_QuoteLeft, false},
    {0xC0, Qt::Key_AsciiTilde, false},
    {0xDB, Qt::Key_BracketLeft, false},
    {0xDB, Qt::Key_BraceLeft, false},
    {0xDC, Qt::Key_Backslash, false},
    {0xDC, Qt::Key_Bar, false},
    {0xDD, Qt::Key_BracketRight, false},
    {0xDD, Qt::Key_BraceRight, false},
    {0xDE, Qt::Key_Apostrophe, false},
    {0xDE, Qt::Key_QuoteDbl, false},
    // The digits' shifted characters on a US keyboard.
    {0x31, Qt::Key_Exclam, false},
    {0x32, Qt::Key_At, false},
    {0x33, Qt::Key_NumberSign, false},
    {0x34, Qt::Key_Dollar, false},
    {0x35, Qt::Key_Percent, false},
    {0x36, Qt::Key_AsciiCircum, false},
    {0x37, Qt::Key_Ampersand, false},
    {0x38, Qt::Key_Asterisk, false},
    {0x39, Qt::Key_ParenLeft, false},
    {0x30, Qt::Key_ParenRight, false},
};

// With Num Lock off the keypad types navigation keys; they count as the
// keys of the same name.
constexpr int kKeypadNavigation[] = {
    Qt::Key_Insert, Qt::Key_Delete, Qt::Key_End,  Qt::Key_Down, Qt::Key_PageDown,
    Qt::Key_Left,   Qt::Key_Right,  Qt::Key_Home, Qt::Key_Up,   Qt::Key_PageUp,
};

constexpr WORD kVkA = 0x41, kVkZ = 0x5A;
constexpr WORD kVk0 = 0x30, kVk9 = 0x39;
constexpr WORD kVkF1 = 0x70, kVkF24 = 0x87;
constexpr WORD kVkNumpad0 = 0x60, kVkNumpad9 = 0x69;

} // namespace

WORD VirtualKeyFromQtKey(int qtKey, bool keypad)
{
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z)
        return static_cast<WORD>(kVkA + (qtKey - Qt::Key_A));
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
        return static_cast<WORD>((keypad ? kVkNumpad0 : kVk0) + (qtKey - Qt::Key_0));
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
        return static_cast<WORD>(kVkF1 + (qtKey - Qt::Key_F1));
    for (const KeyPair& pair : kKeys) {
        if (pair.qtKey == qtKey && pair.keypad == keypad)
            return pair.virtualKey;
    }
    if (keypad) {
        for (int key : kKeypadNavigation)
            if (key == qtKey)
                return VirtualKeyFromQtKey(qtKey, false);
    }
    return 0;
}

int QtKeyFromVirtualKey(WORD virtualKey, bool* keypad)
{
    bool onKeypad = false;
    int key = 0;
    if (virtualKey >= kVkA && virtualKey <= kVkZ) {
        key = Qt::Key_A + (virtualKey - kVkA);
    } else if (virtualKey >= kVk0 && virtualKey <= kVk9) {
        key = Qt::Key_0 + (virtualKey - kVk0);
    } else if (virtualKey >= kVkF1 && virtualKey <= kVkF24) {
        key = Qt::Key_F1 + (virtualKey - kVkF1);
    } else if (virtualKey >= kVkNumpad0 && virtualKey <= kVkNumpad9) {
        key = Qt::Key_0 + (virtualKey - kVkNumpad0);
        onKeypad = true;
    } else {
        for (const KeyPair& pair : kKeys) {
            if (pair.virtualKey == virtualKey) {
                key = pair.qtKey;
                onKeypad = pair.keypad;
                break;
            }
        }
    }
    if (keypad)
        *keypad = key != 0 && onKeypad;
    return key;
}

WORD VirtualKeyFromKeyEvent(const QKeyEvent& event)
{
    if (const WORD native = VirtualKeyFromNativeKey(event.nativeVirtualKey()))
        return native;
    return VirtualKeyFromQtKey(event.key(), event.modifiers().testFlag(Qt::KeypadModifier));
}

WORD HotKeyModifiersFromQt(Qt::KeyboardModifiers modifiers)
{
    WORD bits = 0;
    if (modifiers & Qt::ShiftModifier)
        bits |= HOTKEYF_SHIFT;
    if (modifiers & Qt::ControlModifier)
        bits |= HOTKEYF_CONTROL;
    if (modifiers & Qt::AltModifier)
        bits |= HOTKEYF_ALT;
    if (modifiers & Qt::MetaModifier)
        bits |= HOTKEYF_EXT;
    return bits;
}

Qt::KeyboardModifiers QtModifiersFromHotKey(WORD modifiers)
{
    Qt::KeyboardModifiers out;
    if (modifiers & HOTKEYF_SHIFT)
        out |= Qt::ShiftModifier;
    if (modifiers & HOTKEYF_CONTROL)
        out |= Qt::ControlModifier;
    if (modifiers & HOTKEYF_ALT)
        out |= Qt::AltModifier;
    if (modifiers & HOTKEYF_EXT)
        out |= Qt::MetaModifier;
    return out;
}

WORD HotKeyModifierOfKey(int qtKey)
{
    switch (qtKey) {
    case Qt::Key_Shift:
        return HOTKEYF_SHIFT;
    case Qt::Key_Control:
        return HOTKEYF_CONTROL;
    case Qt::Key_Alt:
        return HOTKEYF_ALT;
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
        return HOTKEYF_EXT;
    default:
        return 0;
    }
}
