#include "framework/CHotKeyCtrl.h"

#include "framework/HotKeyEdit.h"

void CHotKeyCtrl::SetHotKey(WORD virtualKey, WORD modifiers)
{
    if (m_edit)
        m_edit->setHotKey(virtualKey, modifiers);
}

void CHotKeyCtrl::GetHotKey(WORD& virtualKey, WORD& modifiers) const
{
    virtualKey = m_edit ? m_edit->virtualKey() : 0;
    modifiers = m_edit ? m_edit->modifiers() : 0;
}
