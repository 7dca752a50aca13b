// Stores, loads, registers and unregisters the two global hot keys. It holds
// no data; the dialog makes one around each use.
#pragma once

#include "framework/Win32Types.h"
#include "platform/Platform.h"

#include <QString>

#include <array>

class CDialog;

class CHotKeyStore {
public:
    CHotKeyStore() = default;
    virtual ~CHotKeyStore() = default;

    // Writes "<name> Key" (the virtual-key code) and then, only when that
    // worked, "<name> Mod" (the modifiers in system form). TRUE when both
    // were written.
    BOOL StoreHotKey(const QString& name, WORD virtualKey, WORD controlModifiers);
    // Reads a hot key: its key, its modifiers in control form (for the
    // field) and in system form (for registering). Absent values give 0.
    BOOL LoadHotKey(const QString& name, WORD& virtualKey, WORD& controlModifiers, WORD& systemModifiers);

    // Loads `name`, unregisters `id` on `window` and registers it again when
    // its key is not 0; the result of the registration.
    platform::Result RegisterOne(CDialog* window, const QString& name, int id);
    // RegisterOne for hot key 1 ("GetMousePos") and then hot key 2
    // ("StopMouseClicks"), when `window` exists; their results in that
    // order (both successful when it does not).
    std::array<platform::Result, 2> RegisterAll(CDialog* window);
    // Unregisters both hot keys of `window`; the result of the second.
    BOOL UnregisterAll(CDialog* window);

    // Registers a combination under `id` with presses posted to `window` as
    // WM_HOTKEY (wParam: the id, lParam: modifiers low, key high).
    static platform::Result Register(CDialog* window, int id, UINT systemModifiers, UINT virtualKey);
    static BOOL Unregister(CDialog* window, int id);
};
