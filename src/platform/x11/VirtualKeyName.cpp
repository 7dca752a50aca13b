#include "platform/VirtualKeyName.h"

#include <cstdio>

namespace platform {
namespace {

struct KeyName {
    std::uint32_t virtualKey;
    const char* name;
};

constexpr KeyName kNames[] = {
    {0x08, "Backspace"},   {0x09, "Tab"},
    {0x0D, "Enter"},       {0x13, "Pause"},
    {0x14, "Caps Lock"},   {0x1B, "Esc"},
    {0x20, "Space"},       {0x21, "Page Up"},
    {0x22, "Page Down"},   {0x23, "End"},
    {0x24, "Home"},        {0x25, "Left"},
    {0x26, "Up"},          {0x27, "Right"},
    {0x28, "Down"},        {0x2C, "Print Screen"},
    {0x2D, "Insert"},      {0x2E, "Delete"},
    {0x5D, "Menu"},        {0x6A, "Num *"},
    {0x6B, "Num +"},       {0x6C, "Num Separator"},
    {0x6D, "Num -"},       {0x6E, "Num ."},
    {0x6F, "Num /"},       {0x90, "Num Lock"},
    {0x91, "Scroll Lock"}, {0xBA, ";"},
    {0xBB, "="},           {0xBC, ","},
    {0xBD, "-"},           {0xBE, "."},
    {0xBF, "/"},           {0xC0, "`"},
    {0xDB, "["},           {0xDC, "\\"},
    {0xDD, "]"},           {0xDE, "'"},
};

} // namespace

std::string virtualKeyName(std::uint32_t virtualKey)
{
    if (virtualKey == 0)
        return {};
    if ((virtualKey >= 0x41 && virtualKey <= 0x5A) || (virtualKey >= 0x30 && virtualKey <= 0x39))
        return std::string(1, static_cast<char>(virtualKey));
    if (virtualKey >= 0x70 && virtualKey <= 0x87)
        return "F" + std::to_string(virtualKey - 0x70 + 1);
    if (virtualKey >= 0x60 && virtualKey <= 0x69)
        return "Num " + std::to_string(virtualKey - 0x60);
    for (const KeyName& entry : kNames) {
        if (entry.virtualKey == virtualKey)
            return entry.name;
    }
    char text[16];
    std::snprintf(text, sizeof text, "Key 0x%02X", static_cast<unsigned>(virtualKey));
    return text;
}

} // namespace platform
