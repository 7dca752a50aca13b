// Every message box of the program goes through here, so that tests can
// answer them in advance instead of a person.
#pragma once

#include "framework/Win32Types.h"

#include <QString>

#include <functional>

class QWidget;

struct MessageBoxRequest {
    QWidget* owner = nullptr;
    QString text;
    QString caption;
    UINT type = MB_OK; // MB_ button set | MB_ icon
    // When not 0, the box closes by itself after this many milliseconds
    // without an answer, as if its default button was pressed.
    int timeoutMs = 0;
};

// Answers a message box with IDOK, IDYES, IDNO, ... A test installs one; the
// program's own shows a QMessageBox.
using MessageBoxHandler = std::function<int(const MessageBoxRequest&)>;

// Installs `handler` and returns the previous one. An empty handler restores
// the real message box.
MessageBoxHandler setMessageBoxHandler(MessageBoxHandler handler);

// Shows a message box owned by `owner` with the application title as caption
// when `caption` is empty; returns the button pressed. A box with `timeoutMs`
// closes by itself then (see MessageBoxRequest).
int ShowMessageBox(QWidget* owner, const QString& text, const QString& caption, UINT type, int timeoutMs = 0);

// String-table and plain-text message boxes owned by the main window, with the
// application title as caption; a type without an icon gets the exclamation
// icon.
int AfxMessageBox(const QString& text, UINT type = MB_OK);
int AfxMessageBox(UINT stringId, UINT type = MB_OK);
