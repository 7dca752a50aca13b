// The cached "Show On Hot Key Press" setting.
#pragma once

#include "framework/Win32Types.h"

class CAppSettings {
public:
    CAppSettings() = default;
    virtual ~CAppSettings() = default;

    // The stored flag (default 1), read from the profile the first time.
    int GetShowOnHotKeyPress();
    // Caches `value`, then stores it; FALSE when the profile cannot be written.
    BOOL SetShowOnHotKeyPress(int value);

private:
    int m_showOnHotKeyPress = -1; // -1: not read yet
};
