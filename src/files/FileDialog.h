// The Open and Save dialogs for sequence files go through one function that
// tests answer in advance, as they do message boxes.
#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace files {

// The one filter of both dialogs; names match it whatever their case.
inline const QString kSequenceFileFilter = QStringLiteral("Quorvel files (*.tpx)");
// Given to a name typed without an extension.
inline const QString kSequenceFileSuffix = QStringLiteral("tpx");

struct FileDialogRequest {
    QWidget* owner = nullptr;
    QString filter;
    bool open = true;             // true: Open (the file must exist); false: Save
    QString defaultSuffix;        // added to a name typed without an extension
    bool confirmOverwrite = false; // Save: ask before choosing an existing file
};

// Answers a file dialog with the chosen full path, or an empty string for
// Cancel. A test installs one; the program's own shows a QFileDialog.
using FileDialogHandler = std::function<QString(const FileDialogRequest&)>;

// Installs `handler` and returns the previous one. An empty handler restores
// the real dialog.
FileDialogHandler setFileDialogHandler(FileDialogHandler handler);

} // namespace files
