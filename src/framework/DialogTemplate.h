// Dialog templates as data: what the dialog builder turns into widgets.
// Positions and sizes are in dialog units, as on Windows; the table order of
// the controls is their tab order.
#pragma once

#include "framework/Win32Types.h"

#include <vector>

enum class ControlClass {
    Button,   // push button, default push button, auto check box or group box by style
    Static,   // text label, or the application icon with SS_ICON
    Edit,     // one-line edit field
    ComboBox, // drop-down list
    ListView, // report list (SysListView32)
    HotKey,   // hot-key field (msctls_hotkey32)
};

struct ControlTemplate {
    int id;
    ControlClass cls;
    const char* text;
    DWORD style;
    int x, y, cx, cy;
};

// Strings that the dialog's initialisation adds to a combo box, in order.
struct ComboBoxInit {
    int id;
    std::vector<const char*> strings;
};

struct DialogTemplate {
    int id;
    DWORD style;
    DWORD exStyle;
    int cx, cy;          // client area, dialog units
    const char* caption;
    const char* fontName;
    int pointSize;
    std::vector<ControlTemplate> controls;
    std::vector<ComboBoxInit> initData;
};
