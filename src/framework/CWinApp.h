// The application object's framework half: the main window, the profile
// (named 32-bit integers kept per user) and the wait cursor.
#pragma once

#include "framework/Win32Types.h"

#include <QString>
#include <QVariant>

class CDialog;

class CWinApp {
public:
    // `appName` is the application's name: the profile key under the
    // registry key, and the default message-box caption.
    explicit CWinApp(const QString& appName);
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // From here on the profile lives under `company`/<application name>.
    void SetRegistryKey(const QString& company);

    // The value `entry` of `section`, or `defaultValue` when it is absent or
    // not a 32-bit number.
    UINT GetProfileInt(const QString& section, const QString& entry, int defaultValue) const;
    // Stores `value`; FALSE when the profile cannot be written.
    BOOL WriteProfileInt(const QString& section, const QString& entry, int value);
    // The text value `entry` of `section`, or `defaultValue` when absent.
    QString GetProfileString(const QString& section, const QString& entry, const QString& defaultValue = {}) const;
    // Stores `value`; FALSE when the profile cannot be written.
    BOOL WriteProfileString(const QString& section, const QString& entry, const QString& value);
    // The file that holds the profile (for messages and tests).
    QString ProfileFileName() const;

    void BeginWaitCursor();
    void EndWaitCursor();

    CDialog* m_pMainWnd = nullptr;
    const QString m_pszAppName;
    QString m_pszRegistryKey;

private:
    BOOL writeProfileValue(const QString& section, const QString& entry, const QVariant& value);

    int m_waitCursorCount = 0;
};

// The one application object, or null before it exists.
CWinApp* AfxGetApp();

// While a modal dialog or message box is open over a busy handler, the
// pointer is the normal arrow over it, as a dialog's own cursor is on
// Windows; the wait cursor comes back when it closes.
class ModalCursor {
public:
    ModalCursor();
    ~ModalCursor();
    ModalCursor(const ModalCursor&) = delete;
    ModalCursor& operator=(const ModalCursor&) = delete;

private:
    bool m_pushed;
};
