#include "RegistryValues.h"

namespace quorvel::win32test {

std::string narrow(const std::wstring& wide)
{
    if (wide.empty())
        return {};
    const int size =
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), text.data(), size, nullptr, nullptr);
    return text;
}

std::string defaultValue(HKEY root, const std::wstring& subKey)
{
    wchar_t data[1024];
    DWORD bytes = sizeof data;
    const LSTATUS status = RegGetValueW(root, subKey.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, data, &bytes);
    if (status != ERROR_SUCCESS)
        return "<error " + std::to_string(status) + ">";
    return narrow(data);
}

std::string classesValue(const std::wstring& subKey)
{
    return defaultValue(HKEY_CURRENT_USER, L"Software\\Classes\\" + subKey);
}

} // namespace quorvel::win32test
