#include "framework/HotKeyEdit.h"

HotKeyEdit::HotKeyEdit(QWidget* parent) : QLineEdit(parent)
{
    setReadOnly(true);
    setHotKey(0, 0);
}

void HotKeyEdit::setHotKey(WORD virtualKey, WORD modifiers)
{
    m_virtualKey = virtualKey;
    m_modifiers = modifiers;
    setText(describe(virtualKey, modifiers));
}

QString HotKeyEdit::describe(WORD virtualKey, WORD modifiers)
{
    if (virtualKey == 0 && modifiers == 0)
        return QStringLiteral("None");
    QStringList parts;
    if (modifiers & HOTKEYF_CONTROL)
        parts << QStringLiteral("Ctrl");
    if (modifiers & HOTKEYF_SHIFT)
        parts << QStringLiteral("Shift");
    if (modifiers & HOTKEYF_ALT)
        parts << QStringLiteral("Alt");
    if (virtualKey != 0)
        parts << ((virtualKey >= '0' && virtualKey <= '9') || (virtualKey >= 'A' && virtualKey <= 'Z')
                      ? QString(QChar(virtualKey))
                      : QStringLiteral("0x%1").arg(virtualKey, 2, 16, QLatin1Char('0')));
    return parts.join(QStringLiteral(" + "));
}
