#include "files/FileTypeRules.h"

#include <algorithm>
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
    if (executablePath.empty() || executablePath.front() != '/' || executablePath.find('=') != std::string::npos)
        return std::nullopt;
    return quotedExecArgument(executablePath) + " " + kOpenFileArgument;
}

std::string iconValueFor(std::string openCommand)
{
    static const std::string kArgument = " \"%1\"";
    std::string::size_type at = 0;
    while ((at = openCommand.find(kArgument, at)) != std::string::npos) {
        openCommand.replace(at, kArgument.size(), ",0");
        at += 2;
    }
    return openCommand;
}

} // namespace files
