// File-type registration on Windows: the extension, open command and icon of
// the type as default values under HKEY_CURRENT_USER\Software\Classes, which
// the shell merges into HKEY_CLASSES_ROOT for the current user, so no
// administrator rights are needed.
#pragma once

#include "platform/Platform.h"

namespace platform::win32 {

class RegistryShell final : public Shell {
public:
    // Writes, each as the REG_SZ default value of its key:
    //   <extension>                      = type name
    //   <type>\shell\open\command        = open command
    //   <type>\DefaultIcon               = icon value
    // The strings are UTF-8 and are stored as UTF-16. Every registry call is
    // checked; the first failure ends the registration and is returned.
    Result registerFileType(const FileTypeRegistration& registration) override;
};

} // namespace platform::win32
