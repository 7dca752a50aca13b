// Handle on a hot-key field, attached by the dialog data exchange.
#pragma once

#include "framework/Win32Types.h"

class HotKeyEdit;

class CHotKeyCtrl {
public:
    CHotKeyCtrl() = default;
    CHotKeyCtrl(const CHotKeyCtrl&) = delete;
    CHotKeyCtrl& operator=(const CHotKeyCtrl&) = delete;

    void Attach(HotKeyEdit* edit) { m_edit = edit; }
    HotKeyEdit* GetWidget() const { return m_edit; }
    bool IsAttached() const { return m_edit != nullptr; }

    // HKM_SETHOTKEY: shows `virtualKey` with the HOTKEYF_ bits `modifiers`.
    void SetHotKey(WORD virtualKey, WORD modifiers);
    // HKM_GETHOTKEY.
    void GetHotKey(WORD& virtualKey, WORD& modifiers) const;

private:
    HotKeyEdit* m_edit = nullptr;
};
