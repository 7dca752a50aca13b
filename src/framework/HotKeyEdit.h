// A field that takes one key combination as the user presses it: a Windows
// virtual-key code and HOTKEYF_ modifier bits, shown in words
// ("Ctrl + Alt + P").
//
// Pressing a key with or without modifiers makes it the field's combination.
// While only modifiers are held the field shows them ("Ctrl + ") without
// taking them; letting go of them brings back the combination it holds.
// Backspace or Delete alone empties the field ("None"). Tab, Enter and Esc
// without Ctrl, Alt or the Windows key still move the focus, press the
// default button and cancel, as in any other field of a dialog; and the
// dialog's mnemonics (Alt+A, ...) do not fire while the field has the focus.
#pragma once

#include "framework/Win32Types.h"

#include <QLineEdit>

class HotKeyEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit HotKeyEdit(QWidget* parent = nullptr);

    void setHotKey(WORD virtualKey, WORD modifiers);
    WORD virtualKey() const { return m_virtualKey; }
    WORD modifiers() const { return m_modifiers; }

    // The combination in words, modifiers first in the order Ctrl, Shift,
    // Alt, Win; "None" when the field is empty; "Ctrl + " for modifiers
    // without a key.
    static QString describe(WORD virtualKey, WORD modifiers);

signals:
    // The user pressed a new combination or emptied the field.
    void hotKeyChanged();

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    // Keys that keep their meaning for the dialog rather than the field.
    static bool passesToDialog(const QKeyEvent& event);
    void showHeld(WORD heldModifiers);

    WORD m_virtualKey = 0;
    WORD m_modifiers = 0;
    bool m_composing = false; // modifiers are held and shown, no key yet
};
