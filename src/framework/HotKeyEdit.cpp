#include "framework/HotKeyEdit.h"

#include "framework/KeyMapping.h"
#include "framework/NoCaretStyle.h"
#include "platform/VirtualKeyName.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QStringList>

HotKeyEdit::HotKeyEdit(QWidget* parent) : QLineEdit(parent)
{
    // Not read-only: screen readers would call it "read only text" though
    // it takes keys. Keys are its own (see event()); pasting, dropping and
    // input methods are kept out here, and it shows no caret, as before.
    setAttribute(Qt::WA_InputMethodEnabled, false);
    setAcceptDrops(false);
    auto* style = new NoCaretStyle;
    style->setParent(this);
    setStyle(style);
    setContextMenuPolicy(Qt::NoContextMenu);
    setHotKey(0, 0);
}

void HotKeyEdit::setHotKey(WORD virtualKey, WORD modifiers)
{
    m_virtualKey = virtualKey;
    m_modifiers = modifiers;
    m_composing = false;
    setText(describe(virtualKey, modifiers));
}

QString HotKeyEdit::describe(WORD virtualKey, WORD modifiers)
{
    if (virtualKey == 0 && (modifiers & 0x0F) == 0)
        return QStringLiteral("None");
    QString text;
    const struct {
        WORD bit;
        const char* name;
    } kModifiers[] = {{HOTKEYF_CONTROL, "Ctrl"}, {HOTKEYF_SHIFT, "Shift"}, {HOTKEYF_ALT, "Alt"}, {HOTKEYF_EXT, "Win"}};
    for (const auto& m : kModifiers)
        if (modifiers & m.bit)
            text += QString::fromLatin1(m.name) + QStringLiteral(" + ");
    if (virtualKey != 0)
        text += QString::fromStdString(platform::virtualKeyName(virtualKey));
    return text;
}

bool HotKeyEdit::passesToDialog(const QKeyEvent& event)
{
    if (event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    switch (event.key()) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        return true;
    default:
        return false;
    }
}

bool HotKeyEdit::event(QEvent* e)
{
    // Every key belongs to the field: no shortcut or mnemonic of the window
    // may take it first.
    if (e->type() == QEvent::ShortcutOverride) {
        if (!passesToDialog(*static_cast<QKeyEvent*>(e)))
            e->accept();
        return true;
    }
    // Tab and Backtab reach the focus chain through event(), not
    // keyPressEvent.
    if (e->type() == QEvent::KeyPress && !passesToDialog(*static_cast<QKeyEvent*>(e))) {
        keyPressEvent(static_cast<QKeyEvent*>(e));
        return true;
    }
    return QLineEdit::event(e);
}

void HotKeyEdit::keyPressEvent(QKeyEvent* e)
{
    if (passesToDialog(*e)) {
        e->ignore();
        return;
    }
    e->accept();
    const WORD modifierKey = HotKeyModifierOfKey(e->key());
    const WORD held = static_cast<WORD>(HotKeyModifiersFromQt(e->modifiers()) | modifierKey);
    if (modifierKey != 0) {
        showHeld(held);
        return;
    }
    const WORD virtualKey = VirtualKeyFromKeyEvent(*e);
    if (virtualKey == 0) {
        // A key without a virtual-key code here (a dead key, AltGr, a
        // character of another layout) is not a combination.
        showHeld(held);
        return;
    }
    if ((virtualKey == 0x08 || virtualKey == 0x2E) && held == 0)
        setHotKey(0, 0);
    else
        setHotKey(virtualKey, held);
    emit hotKeyChanged();
}

void HotKeyEdit::keyReleaseEvent(QKeyEvent* e)
{
    e->accept();
    const WORD released = HotKeyModifierOfKey(e->key());
    // Letting go of the modifiers of a combination just taken leaves it shown.
    if (released == 0 || !m_composing)
        return;
    const WORD stillHeld = static_cast<WORD>(HotKeyModifiersFromQt(e->modifiers()) & ~released);
    showHeld(stillHeld);
}

void HotKeyEdit::mouseReleaseEvent(QMouseEvent* e)
{
    // The middle button would paste the selection into the text.
    if (e->button() == Qt::MiddleButton) {
        e->accept();
        return;
    }
    QLineEdit::mouseReleaseEvent(e);
}

void HotKeyEdit::inputMethodEvent(QInputMethodEvent* e)
{
    e->ignore();
}

void HotKeyEdit::focusOutEvent(QFocusEvent* e)
{
    showHeld(0);
    QLineEdit::focusOutEvent(e);
}

void HotKeyEdit::showHeld(WORD heldModifiers)
{
    m_composing = heldModifiers != 0;
    if (heldModifiers == 0)
        setText(describe(m_virtualKey, m_modifiers));
    else
        setText(describe(0, heldModifiers));
}
