// The two dialog templates: the main window and the About box.
#include "res/Resources.h"
#include "sequence/CClickEntry.h"

namespace res {

namespace {

constexpr DWORD kNumberEdit = ES_NUMBER | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP;
constexpr DWORD kButton = BS_PUSHBUTTON | WS_TABSTOP;

const DialogTemplate kClickerDialog{
    IDD_CLICKER_DIALOG,
    WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | DS_MODALFRAME | DS_SETFONT,
    WS_EX_ACCEPTFILES | WS_EX_APPWINDOW,
    420, 315,
    "Quorvel Software Utility - by Corvane",
    "MS Sans Serif", 8,
    {
        {IDC_STATIC, ControlClass::Button, "Add / Edit Mouse Click", BS_GROUPBOX, 7, 7, 406, 83},
        {IDC_STATIC, ControlClass::Static, "&X Co-ordinate :", WS_GROUP, 21, 22, 48, 8},
        {IDC_X, ControlClass::Edit, "", kNumberEdit, 74, 20, 40, 14},
        {IDC_STATIC, ControlClass::Static, "&Y Co-ordinate :", WS_GROUP, 21, 38, 48, 8},
        {IDC_Y, ControlClass::Edit, "", kNumberEdit, 74, 37, 40, 14},
        {IDC_STATIC, ControlClass::Static, "Click &Type :", WS_GROUP, 31, 53, 38, 8},
        {IDC_CLICK_TYPE, ControlClass::ComboBox, "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 74, 53, 154, 65},
        {IDC_CURSOR_BACK, ControlClass::Button, "&Curosr Back :", BS_AUTOCHECKBOX | BS_LEFTTEXT | WS_TABSTOP, 27, 69, 55, 10},
        {IDC_STATIC, ControlClass::Static, "&Delay before Click :", WS_GROUP, 86, 70, 62, 8},
        {IDC_DELAY, ControlClass::Edit, "", kNumberEdit, 152, 68, 40, 14},
        {IDC_STATIC, ControlClass::Static, "Milli Second(s)", WS_GROUP, 194, 71, 46, 8},
        {IDC_ADD, ControlClass::Button, "&Add", BS_DEFPUSHBUTTON | WS_TABSTOP, 240, 22, 70, 21},
        {IDC_UPDATE, ControlClass::Button, "&Update", kButton, 239, 47, 70, 21},
        {IDC_STATIC, ControlClass::Button, "List Of Mouse Clicks in Sequence", BS_GROUPBOX, 7, 98, 406, 158},
        {IDC_CLICK_LIST, ControlClass::ListView, "", LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | WS_BORDER | WS_TABSTOP, 16, 111, 298, 137},
        {IDC_MOVE_UP, ControlClass::Button, "Move &Up", kButton, 324, 141, 70, 21},
        {IDC_MOVE_DOWN, ControlClass::Button, "Move &Down", kButton, 324, 169, 70, 21},
        {IDC_DELETE, ControlClass::Button, "De&lete", kButton, 324, 197, 70, 21},
        {IDC_DELETE_ALL, ControlClass::Button, "Delete A&ll", kButton, 323, 225, 70, 21},
        {IDC_LOAD_CLICKS, ControlClass::Button, "&Load Clicks", kButton, 324, 22, 70, 21},
        {IDC_SAVE_CLICKS, ControlClass::Button, "&Save Clicks", kButton, 324, 47, 70, 21},
        {IDC_START_STOP, ControlClass::Button, "S&tart", kButton, 324, 113, 70, 21},
        {IDC_HOTKEY_GET_MOUSE_POS, ControlClass::HotKey, "", WS_BORDER, 123, 266, 80, 14},
        {IDC_STATIC, ControlClass::Static, "Get Mouse Cursor Position :", WS_GROUP, 30, 268, 88, 8},
        {IDC_STATIC, ControlClass::Button, "Hot Keys", BS_GROUPBOX, 7, 251, 406, 57},
        {IDC_ASSIGN_GET_MOUSE_POS, ControlClass::Button, "Assign", BS_PUSHBUTTON, 206, 266, 50, 14},
        {IDC_CLEAR_GET_MOUSE_POS, ControlClass::Button, "Clear", BS_PUSHBUTTON, 260, 266, 50, 14},
        {IDC_SHOW_ON_HOTKEY_PRESS, ControlClass::Button, "Show On Hot Key Press", BS_AUTOCHECKBOX, 316, 268, 92, 10},
        {IDC_STATIC, ControlClass::Static, "Start / Stop Mouse Clicks :", WS_GROUP, 32, 287, 86, 8},
        {IDC_HOTKEY_START_STOP, ControlClass::HotKey, "", WS_BORDER | WS_TABSTOP, 123, 284, 80, 14},
        {IDC_ASSIGN_START_STOP, ControlClass::Button, "Assign", kButton, 205, 284, 50, 14},
        {IDC_CLEAR_START_STOP, ControlClass::Button, "Clear", kButton, 260, 284, 50, 14},
        {IDC_STATIC, ControlClass::Static, "Repeat Count :", WS_GROUP, 300, 74, 49, 8},
        {IDC_REPEAT_COUNT, ControlClass::Edit, "", kNumberEdit, 355, 71, 40, 14},
    },
    {
        {IDC_CLICK_TYPE, {kClickTypeTexts[0], kClickTypeTexts[1], kClickTypeTexts[2], kClickTypeTexts[3]}},
    },
};

const DialogTemplate kAboutBox{
    IDD_ABOUTBOX,
    WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT,
    0,
    251, 71,
    "About Quorvel Software Utility - by Corvane",
    "MS Sans Serif", 8,
    {
        {IDC_STATIC, ControlClass::Static, "", SS_ICON, 14, 15, 21, 20},
        {IDC_STATIC, ControlClass::Static, "Quorvel Software Utility v1.1", SS_NOPREFIX | WS_GROUP, 42, 20, 121, 8},
        {IDOK, ControlClass::Button, "OK", BS_DEFPUSHBUTTON | WS_GROUP | WS_TABSTOP, 174, 43, 70, 21},
        {IDC_STATIC, ControlClass::Static, "Made by Corvane", 0, 14, 54, 74, 8},
    },
    {},
};

} // namespace

const DialogTemplate* dialogTemplate(int id)
{
    switch (id) {
    case IDD_CLICKER_DIALOG:
        return &kClickerDialog;
    case IDD_ABOUTBOX:
        return &kAboutBox;
    default:
        return nullptr;
    }
}

} // namespace res
