// A field that holds one key combination: a Windows virtual-key code and
// HOTKEYF_ modifier bits, shown in words ("Ctrl + Alt + P").
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

    // The combination in words; "None" when the field is empty.
    static QString describe(WORD virtualKey, WORD modifiers);

private:
    WORD m_virtualKey = 0;
    WORD m_modifiers = 0;
};
