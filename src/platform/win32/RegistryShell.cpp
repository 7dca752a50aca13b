#include "platform/win32/RegistryShell.h"

#include <windows.h>

#include <string>

namespace platform::win32 {

namespace {

const std::string kClassesPath = "Software\\Classes";

struct DefaultValue {
    std::string keyPath; // under HKEY_CURRENT_USER, UTF-8
    std::wstring key;
    std::wstring data;
};

// UTF-8 to UTF-16; false for bytes that are not UTF-8.
bool widen(const std::string& text, std::wstring& wide)
{
    wide.clear();
    if (text.empty())
        return true;
    const int size =
        MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (size == 0)
        return false;
    wide.resize(static_cast<std::size_t>(size));
    return MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()), wide.data(),
                               size) == size;
}

Result failure(LSTATUS status, const std::string& what)
{
    return Result::failure(static_cast<std::uint32_t>(status), what + " (error " + std::to_string(status) + ")");
}

// An empty name would address Software\Classes itself and a backslash a key
// other than the one meant, so both are refused before anything is written.
bool isKeyName(const std::string& name)
{
    return !name.empty() && name.find('\\') == std::string::npos;
}

Result prepare(const std::string& keyName, const std::string& data, DefaultValue& value)
{
    value.keyPath = kClassesPath + "\\" + keyName;
    if (!widen(value.keyPath, value.key) || !widen(data, value.data))
        return failure(ERROR_NO_UNICODE_TRANSLATION,
                       "the registration for HKEY_CURRENT_USER\\" + value.keyPath + " is not valid UTF-8");
    return Result::success();
}

Result write(const DefaultValue& value)
{
    HKEY key = nullptr;
    LSTATUS status = RegCreateKeyExW(HKEY_CURRENT_USER, value.key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                     KEY_SET_VALUE, nullptr, &key, nullptr);
    if (status != ERROR_SUCCESS)
        return failure(status, "cannot create the registry key HKEY_CURRENT_USER\\" + value.keyPath);

    // REG_SZ data is counted in bytes, terminating zero included.
    const auto bytes = static_cast<DWORD>((value.data.size() + 1) * sizeof(wchar_t));
    status = RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.data.c_str()), bytes);
    const LSTATUS closed = RegCloseKey(key);
    if (status != ERROR_SUCCESS)
        return failure(status, "cannot set the default value of HKEY_CURRENT_USER\\" + value.keyPath);
    if (closed != ERROR_SUCCESS)
        return failure(closed, "cannot close the registry key HKEY_CURRENT_USER\\" + value.keyPath);
    return Result::success();
}

} // namespace

Result RegistryShell::registerFileType(const FileTypeRegistration& registration)
{
    if (!isKeyName(registration.extension) || !isKeyName(registration.typeName))
        return failure(ERROR_INVALID_PARAMETER, "the extension \"" + registration.extension + "\" or the type name \"" +
                                                    registration.typeName + "\" cannot name a registry key");

    // Everything is converted before the first write, so a registration
    // that cannot be expressed leaves the registry untouched.
    DefaultValue values[3];
    const std::string& type = registration.typeName;
    for (Result prepared : {prepare(registration.extension, type, values[0]),
                            prepare(type + "\\shell\\open\\command", registration.openCommand, values[1]),
                            prepare(type + "\\DefaultIcon", registration.iconValue, values[2])}) {
        if (!prepared)
            return prepared;
    }
    for (const DefaultValue& value : values) {
        if (Result written = write(value); !written)
            return written;
    }
    return Result::success();
}

} // namespace platform::win32
