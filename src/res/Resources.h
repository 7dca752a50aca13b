// The program's resources: string table, dialog templates, icons.
#pragma once

#include "framework/DialogTemplate.h"
#include "res/Resource.h"

#include <QIcon>
#include <QString>

namespace res {

// The text of string `id`, or an empty string when there is none.
QString loadString(unsigned id);

// Dialog template `id` (IDD_CLICKER_DIALOG or IDD_ABOUTBOX); null when unknown.
const DialogTemplate* dialogTemplate(int id);

// Icon `id` (IDR_MAINFRAME) with all its sizes.
QIcon loadIcon(int id);

// The scalable artwork and the fixed-size images of the application icon, as
// file bytes, for the desktop's icon theme.
QByteArray iconSvg();
QByteArray iconPng(int size);

// Version and product name as the version resource gives them.
inline constexpr const char* kProductName = "Quorvel Software Utility";

} // namespace res
