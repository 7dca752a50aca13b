// Dialog data exchange: moves values between a dialog's controls and its
// fields, in the order the dialog lists them, and validates on the way in.
// A field that fails shows a message, gets the focus with its text selected,
// and ends the exchange: the fields before it keep their new values, it and
// the fields after it keep their old ones (a range check fails after its
// field was stored, as on Windows).
#pragma once

#include "framework/Win32Types.h"

#include <QString>

class CDialog;
class CListCtrl;
class CHotKeyCtrl;
class QWidget;

class CDataExchange {
public:
    CDataExchange(CDialog* dialog, BOOL saveAndValidate) : m_bSaveAndValidate(saveAndValidate), m_pDlgWnd(dialog) {}

    // The control `id`, remembered as the one a failure points at.
    QWidget* PrepareCtrl(int id);
    QWidget* PrepareEditCtrl(int id);
    // Shows `message`, puts the focus on the last prepared control (an edit
    // field gets its whole text selected) and ends the exchange.
    void Fail(const QString& message);
    bool Failed() const { return m_failed; }

    const BOOL m_bSaveAndValidate;
    CDialog* const m_pDlgWnd;

private:
    QWidget* m_lastControl = nullptr;
    bool m_lastIsEdit = false;
    bool m_failed = false;
};

// Text of an edit field as an unsigned 32-bit number.
void DDX_Text(CDataExchange* pDX, int id, DWORD& value);
// Text of an edit field as a signed 32-bit number.
void DDX_Text(CDataExchange* pDX, int id, int& value);
// State of a check box: 0, 1 (or 2 for an undetermined three-state box).
void DDX_Check(CDataExchange* pDX, int id, int& value);
// Selected index of a combo box, -1 for none.
void DDX_CBIndex(CDataExchange* pDX, int id, int& index);
// Attaches a control handle to its widget, once.
void DDX_Control(CDataExchange* pDX, int id, CListCtrl& control);
void DDX_Control(CDataExchange* pDX, int id, CHotKeyCtrl& control);
// `value` must lie in min..max when saving.
void DDV_MinMaxInt(CDataExchange* pDX, int value, int minValue, int maxValue);

// The parsing behind DDX_Text, for tests: leading and trailing blanks are
// allowed, anything else but the digits (and a sign for int) is not, and the
// value must fit its type.
bool ParseDword(const QString& text, DWORD& value);
bool ParseInt(const QString& text, int& value);
