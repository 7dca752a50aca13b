// A dialog built from a template, with the window behaviour the dialog code
// is written against: data exchange, messages posted to the dialog and
// handled after the current handler, commands from its buttons, Esc and the
// close box as IDCANCEL and WM_CLOSE, and destruction in order.
#pragma once

#include "framework/DialogBuilder.h"
#include "framework/DialogMnemonic.h"
#include "framework/Win32Types.h"

#include <QDialog>

#include <vector>

class CDataExchange;
class QKeyEvent;
class QMenu;

// ShowWindow commands.
enum : int {
    SW_HIDE = 0,
    SW_SHOWNORMAL = 1,
    SW_SHOWMINIMIZED = 2,
    SW_SHOW = 5,
    SW_MINIMIZE = 6,
    SW_RESTORE = 9,
};

// System commands of the window menu.
enum : UINT {
    SC_MINIMIZE = 0xF020,
    SC_CLOSE = 0xF060,
    SC_RESTORE = 0xF120,
};

enum : UINT {
    BN_CLICKED = 0,
    NM_CLICK = static_cast<UINT>(-2),
};

class CDialog : public QDialog {
    Q_OBJECT
public:
    explicit CDialog(int templateId, QWidget* parent = nullptr);
    ~CDialog() override;

    // Builds the window from the template, hidden, and runs OnInitDialog.
    BOOL Create(int templateId = 0, QWidget* parent = nullptr);
    // Runs the dialog modally; returns the code EndDialog was given.
    int DoModal();
    void EndDialog(int result);

    // The window exists: created and not yet destroyed.
    bool IsWindow() const { return m_created && !m_destroyed; }
    // Destroys the window: WM_DESTROY (OnDestroy), hidden; the
    // application quits with code 0 when this was its main window.
    virtual BOOL DestroyWindow();

    QWidget* GetDlgItem(int id) const;
    QString GetDlgItemText(int id) const;
    void SetDlgItemText(int id, const QString& text);

    // Controls to fields (TRUE) or fields to controls (FALSE). FALSE when a
    // field failed its validation.
    BOOL UpdateData(BOOL saveAndValidate = TRUE);

    BOOL ShowWindow(int command);
    void CenterWindow();

    // Queues a message; it is handled after the current handler returns.
    // Dropped when the window is destroyed first.
    void PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    // Handles a message now.
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

    // The controls in template order.
    const std::vector<BuiltControl>& Controls() const { return m_controls; }

    // The window menu. Linux window managers own the title bar's menu, so
    // the dialog offers its own as a context menu on its background.
    QMenu* GetSystemMenu();

protected:
    virtual void DoDataExchange(CDataExchange* pDX);
    // Runs the template's initialisation data and shows the fields.
    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    virtual void OnClose();
    virtual void OnDestroy() {}
    virtual void OnSysCommand(UINT id, LPARAM lParam);
    // A button or menu command; FALSE when nobody handled it.
    virtual BOOL OnCommand(UINT id, UINT code);
    // A control notification (NM_CLICK from a list).
    virtual void OnNotify(int id, UINT code);
    // Every message goes through here; what no handler takes reaches
    // DefWindowProc.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);

    // Qt's side.
    bool event(QEvent* event) override;
    // Alt+letter reaches the controls by the dialog's own mnemonic rule
    // before Qt's shortcuts can take it.
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void reject() override;
    void accept() override;

private:
    void wireControl(const BuiltControl& control);
    void defaultSysCommand(UINT id);
    // Where an Alt+letter key event goes in this dialog.
    MnemonicTarget mnemonicTarget(const QKeyEvent& key) const;
    // Takes a ShortcutOverride or KeyPress that is a mnemonic of this dialog:
    // the first keeps it from Qt's shortcut map, the second acts on it.
    bool handleMnemonicKey(QEvent* event);

    int m_templateId;
    bool m_created = false;
    bool m_destroyed = false;
    bool m_destroying = false;
    bool m_modal = false;
    std::vector<BuiltControl> m_controls;
    QMenu* m_systemMenu = nullptr;
};
