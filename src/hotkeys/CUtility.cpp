#include "hotkeys/CUtility.h"

#include "framework/CWinApp.h"
#include "hotkeys/Profile.h"

#include <algorithm>

int CUtility::GetDoubleClickDelay()
{
    if (m_doubleClickDelay == -1)
        m_doubleClickDelay = static_cast<int>(AfxGetApp()->GetProfileInt(
            profile::kSection, profile::kDoubleClickDelay, profile::kDoubleClickDelayDefault));
    return std::clamp(m_doubleClickDelay, profile::kDoubleClickDelayMin, profile::kDoubleClickDelayMax);
}
