// The handful of Windows types, messages and flags that the dialog code is
// written in. The values are the Windows ones, so stored settings, posted
// messages and the handlers read the same on every platform.
#pragma once

#include <cstdint>

using UINT = std::uint32_t;
using DWORD = std::uint32_t;
using WORD = std::uint16_t;
using BOOL = int;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

constexpr WORD LOWORD(std::uintptr_t v) { return static_cast<WORD>(v & 0xFFFF); }
constexpr WORD HIWORD(std::uintptr_t v) { return static_cast<WORD>((v >> 16) & 0xFFFF); }
constexpr LPARAM MAKELPARAM(WORD low, WORD high)
{
    return static_cast<LPARAM>(static_cast<DWORD>(low) | (static_cast<DWORD>(high) << 16));
}

// Window messages the dialog posts to itself or handles by number.
enum : UINT {
    WM_NULL = 0x0000,
    WM_CLOSE = 0x0010,
    WM_COMMAND = 0x0111,
    WM_SYSCOMMAND = 0x0112,
    WM_TIMER = 0x0113,
    WM_HOTKEY = 0x0312,
    WM_USER = 0x0400,
};

// Message box types and answers.
enum : UINT {
    MB_OK = 0x00000000,
    MB_OKCANCEL = 0x00000001,
    MB_YESNOCANCEL = 0x00000003,
    MB_YESNO = 0x00000004,
    MB_ICONHAND = 0x00000010,
    MB_ICONERROR = MB_ICONHAND,
    MB_ICONQUESTION = 0x00000020,
    MB_ICONEXCLAMATION = 0x00000030,
    MB_ICONASTERISK = 0x00000040,
    MB_ICONINFORMATION = MB_ICONASTERISK,
    MB_TYPEMASK = 0x0000000F,
    MB_ICONMASK = 0x000000F0,
};

enum : int {
    IDOK = 1,
    IDCANCEL = 2,
    IDYES = 6,
    IDNO = 7,
};

// Window, dialog and control styles used by the templates.
enum : DWORD {
    WS_POPUP = 0x80000000,
    WS_VISIBLE = 0x10000000,
    WS_CAPTION = 0x00C00000,
    WS_BORDER = 0x00800000,
    WS_SYSMENU = 0x00080000,
    WS_VSCROLL = 0x00200000,
    WS_GROUP = 0x00020000,
    WS_TABSTOP = 0x00010000,
    WS_MINIMIZEBOX = 0x00020000,
    DS_MODALFRAME = 0x00000080,
    DS_SETFONT = 0x00000040,

    WS_EX_ACCEPTFILES = 0x00000010,
    WS_EX_APPWINDOW = 0x00040000,

    BS_PUSHBUTTON = 0x00000000,
    BS_DEFPUSHBUTTON = 0x00000001,
    BS_AUTOCHECKBOX = 0x00000003,
    BS_GROUPBOX = 0x00000007,
    BS_LEFTTEXT = 0x00000020,
    BS_TYPEMASK = 0x0000000F,

    ES_AUTOHSCROLL = 0x00000080,
    ES_NUMBER = 0x00002000,

    SS_ICON = 0x00000003,
    SS_NOPREFIX = 0x00000080,

    CBS_DROPDOWNLIST = 0x00000003,

    LVS_REPORT = 0x00000001,
    LVS_SINGLESEL = 0x00000004,
    LVS_SHOWSELALWAYS = 0x00000008,
};

// List view column alignment, extended styles, item states.
enum : int {
    LVCFMT_LEFT = 0x0000,
    LVCFMT_RIGHT = 0x0001,
    LVCFMT_CENTER = 0x0002,
};
enum : DWORD {
    LVS_EX_GRIDLINES = 0x00000001,
    LVS_EX_FULLROWSELECT = 0x00000020,
};
enum : UINT {
    LVIS_FOCUSED = 0x0001,
    LVIS_SELECTED = 0x0002,
};

// Modifier bits of the hot-key control (the "control form").
enum : WORD {
    HOTKEYF_SHIFT = 0x01,
    HOTKEYF_CONTROL = 0x02,
    HOTKEYF_ALT = 0x04,
    HOTKEYF_EXT = 0x08,
};

// Modifier bits RegisterHotKey takes (the "system form").
enum : UINT {
    MOD_ALT = 0x0001,
    MOD_CONTROL = 0x0002,
    MOD_SHIFT = 0x0004,
    MOD_WIN = 0x0008,
};
