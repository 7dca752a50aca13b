// Reading back what a test wrote to, or expects in, the registry.
#pragma once

#include <windows.h>

#include <string>

namespace quorvel::win32test {

// UTF-16 to UTF-8.
std::string narrow(const std::wstring& wide);

// The REG_SZ default value of `root\subKey`, or "<error N>" when there is none.
std::string defaultValue(HKEY root, const std::wstring& subKey);

// The default value of HKEY_CURRENT_USER\Software\Classes\<subKey>, as above.
std::string classesValue(const std::wstring& subKey);

} // namespace quorvel::win32test
