#include "files/FileTypeRules.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace files {

std::string withoutSpaces(std::string text)
{
    text.erase(std::remove(text.begin(), text.end(), ' '), text.end());
    return text;
}

std::optional<std::string> normalisedExtension(const std::string& extension)
{
    std::string bare = withoutSpaces(extension);
    if (bare.empty())
        return std::nullopt;
    bare.erase(std::remove(bare.begin(), bare.end(), '.'), bare.end());
    return "." + bare;
}

std::optional<std::string> typeNameFor(const std::string& description)
{
    std::string name = withoutSpaces(description);
    if (name.empty())
        return std::nullopt;
    return name;
}

std::string quotedExecArgument(const std::string& argument)
{
    static const char kReserved[] = " \t\n\"'\\><~|&;$*?#()`";
    const bool needsQuotes = argument.empty() || std::any_of(argument.begin(), argument.end(), [](char c) {
                                 return std::memchr(kReserved, c, sizeof kReserved - 1) != nullptr;
                             });

    std::string out;
    out.reserve(argument.size() + 8);
    if (needsQuotes)
        out += '"';
    for (char c : argument) {
        if (c == '%')
            out += '%';
        else if (needsQuotes && (c == '"' || c == '`' || c == '$' || c == '\\'))
            out += '\\';
        out += c;
    }
    if (needsQuotes)
        out += '"';
    return out;
}

std::optional<std::string> openCommandFor(const std::string& executablePath)
{
#ifdef _WIN32
    return windowsOpenCommandFor(executablePath);
#else
    return desktopOpenCommandFor(executablePath);
#endif
}

std::optional<std::string> desktopOpenCommandFor(const std::string& executablePath)
{
    if (executablePath.empty() || executablePath.front() != '/' || executablePath.find('=') != std::string::npos)
        return std::nullopt;
    return quotedExecArgument(executablePath) + " " + kOpenFileArgument;
}

std::optional<std::string> windowsOpenCommandFor(const std::string& executablePath)
{
    std::string path = executablePath;
    std::replace(path.begin(), path.end(), '/', '\\');
    const bool onDrive =
        path.size() > 3 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':' && path[2] == '\\';
    const bool onShare = path.size() > 2 && path[0] == '\\' && path[1] == '\\' && path[2] != '\\';
    if ((!onDrive && !onShare) || path.find('"') != std::string::npos)
        return std::nullopt;
    return "\"" + path + "\" " + kWindowsOpenFileArgument;
}

std::string iconValueFor(std::string openCommand)
{
    static const std::string kArgument = std::string(" ") + kWindowsOpenFileArgument;
    std::string::size_type at = 0;
    while ((at = openCommand.find(kArgument, at)) != std::string::npos) {
        openCommand.replace(at, kArgument.size(), ",0");
        at += 2;
    }
    return openCommand;
}

} // namespace files
