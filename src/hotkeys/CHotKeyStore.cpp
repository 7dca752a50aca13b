#include "hotkeys/CHotKeyStore.h"

#include "framework/CDialog.h"
#include "framework/CWinApp.h"
#include "hotkeys/HotKeyEncoding.h"
#include "hotkeys/Profile.h"

#include <QPointer>

BOOL CHotKeyStore::StoreHotKey(const QString& name, WORD virtualKey, WORD controlModifiers)
{
    CWinApp* app = AfxGetApp();
    if (!app->WriteProfileInt(profile::kSection, profile::keyValueName(name), static_cast<int>(virtualKey)))
        return FALSE;
    const WORD systemModifiers = ControlToSystemModifiers(controlModifiers & 0xFF);
    return app->WriteProfileInt(profile::kSection, profile::modValueName(name), static_cast<int>(systemModifiers));
}

BOOL CHotKeyStore::LoadHotKey(const QString& name, WORD& virtualKey, WORD& controlModifiers, WORD& systemModifiers)
{
    CWinApp* app = AfxGetApp();
    virtualKey = static_cast<WORD>(app->GetProfileInt(profile::kSection, profile::keyValueName(name), 0) & 0xFFFF);
    const UINT mod = app->GetProfileInt(profile::kSection, profile::modValueName(name), 0);
    systemModifiers = static_cast<WORD>(mod & 0xFFFF);
    controlModifiers = SystemToControlModifiers(static_cast<WORD>(mod & 0xFF));
    return TRUE;
}

platform::Result CHotKeyStore::RegisterOne(CDialog* window, const QString& name, int id)
{
    WORD virtualKey = 0, controlModifiers = 0, systemModifiers = 0;
    LoadHotKey(name, virtualKey, controlModifiers, systemModifiers);
    Unregister(window, id);
    if (virtualKey == 0)
        return platform::Result::success();
    return Register(window, id, systemModifiers, virtualKey);
}

std::array<platform::Result, 2> CHotKeyStore::RegisterAll(CDialog* window)
{
    std::array<platform::Result, 2> results;
    if (!window || !window->IsWindow())
        return results;
    results[0] = RegisterOne(window, profile::kGetMousePos, 1);
    results[1] = RegisterOne(window, profile::kStopMouseClicks, 2);
    return results;
}

BOOL CHotKeyStore::UnregisterAll(CDialog* window)
{
    if (!window || !window->IsWindow())
        return FALSE;
    Unregister(window, 1);
    return Unregister(window, 2);
}

platform::Result CHotKeyStore::Register(CDialog* window, int id, UINT systemModifiers, UINT virtualKey)
{
    platform::HotKeys& hotKeys = platform::current().hotKeys();
    QPointer<CDialog> target(window);
    hotKeys.setPressHandler([target](int pressedId, std::uint32_t modifiers, std::uint32_t key) {
        if (target)
            target->PostMessage(WM_HOTKEY, static_cast<WPARAM>(pressedId),
                                MAKELPARAM(static_cast<WORD>(modifiers), static_cast<WORD>(key)));
    });
    return hotKeys.registerHotKey(id, systemModifiers, virtualKey);
}

BOOL CHotKeyStore::Unregister(CDialog*, int id)
{
    return platform::current().hotKeys().unregisterHotKey(id).ok ? TRUE : FALSE;
}
