#include "hotkeys/CAppSettings.h"

#include "framework/CWinApp.h"
#include "hotkeys/Profile.h"

int CAppSettings::GetShowOnHotKeyPress()
{
    if (m_showOnHotKeyPress == -1)
        m_showOnHotKeyPress = static_cast<int>(AfxGetApp()->GetProfileInt(
            profile::kSection, profile::kShowOnHotKeyPress, profile::kShowOnHotKeyPressDefault));
    return m_showOnHotKeyPress;
}

BOOL CAppSettings::SetShowOnHotKeyPress(int value)
{
    m_showOnHotKeyPress = value;
    return AfxGetApp()->WriteProfileInt(profile::kSection, profile::kShowOnHotKeyPress, value);
}
