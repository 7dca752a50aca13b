// The main window: every control and all state of the running program. Its
// handlers live beside the subsystem they serve: the rows and editing
// commands in sequence/, the player in playback/, loading and saving in
// files/, the hot keys and settings in hotkeys/.
#pragma once

#include "framework/CDialog.h"
#include "framework/CHotKeyCtrl.h"
#include "framework/CListCtrl.h"
#include "hotkeys/CAppSettings.h"
#include "hotkeys/CUtility.h"
#include "platform/Platform.h"
#include "playback/PlaybackRun.h"
#include "sequence/CClickEntry.h"

#include <QIcon>
#include <QString>

#include <memory>
#include <optional>

// The notification-area icon's callback message.
constexpr UINT WM_TRAYNOTIFY = WM_USER + 11;

class CClickerDlg : public CDialog {
    Q_OBJECT
public:
    explicit CClickerDlg(QWidget* parent = nullptr);
    ~CClickerDlg() override;

    // Fields, in declaration order.
    BOOL m_bCloseWhenDone;
    DWORD m_nClicksDone;
    QString m_filePath;
    CAppSettings m_settings;
    CUtility m_utility;
    int m_nCurrentRow;
    BOOL m_bRunning;
    int m_modified;
    CClickEntry m_editEntry;
    CHotKeyCtrl m_hotKeyStartStop;
    CHotKeyCtrl m_hotKeyGetMousePos;
    CListCtrl m_list;
    BOOL m_bShowOnHotKeyPress;
    int m_repeatCount;
    QIcon m_hIcon;
    bool m_cursorPosUnknownSaid = false;
    // The run that plays, or the stopped one until it has ended.
    std::unique_ptr<PlaybackRun> m_run;

    // Sequence list rows.
    void InitListColumns();
    int InsertClickRow(int position, CClickEntry entry);
    void ReadClickRow(int row, CClickEntry& entry);
    int GetSelectedRow(int& count);
    void SelectRow(int row);

    // Editing commands.
    void OnAdd();
    void OnUpdate();
    void OnDelete();
    void OnMoveUp();
    void OnMoveDown();
    void OnDeleteAll();
    void OnClickList();

    // Playback.
    void OnStartStop();
    void UpdatePlaybackControls();
    // The pointer's position. Where the desktop does not tell it, nothing,
    // and the user is told so once, after the current handler.
    std::optional<platform::Point> ReadCursorPos();

    // Sequence files.
    int WriteSequenceFile(const QString& path);
    // What a load could not do: a file it could not read at all, or one that
    // ends early. `text` says it to the user; empty when all went well.
    struct LoadProblem {
        bool unreadable = false;
        QString text;
    };
    // Loads `path`; a problem is told in a message box.
    int LoadSequenceFile(const QString& path);
    // The same, leaving it to the caller to tell `problem`.
    int LoadSequenceFile(const QString& path, LoadProblem& problem);
    bool SaveSequence();
    void OnLoadClicks();
    void OnSaveClicks();
    void OnDropFiles(const QStringList& paths);

    // Hot keys and settings.
    void LoadHotKeys();
    void OnAssignGetMousePos();
    void OnAssignStartStop();
    void OnClearGetMousePos();
    void OnClearStartStop();
    void CaptureCursorPos();
    void OnShowOnHotKeyPress();

    // Notification-area icon.
    LRESULT OnTrayNotify(WPARAM wParam, LPARAM lParam);
    void OnTrayShow();
    void OnTrayExit();

    // Window.
    void OnClose() override;
    void OnCancel() override;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnDestroy() override;
    void OnSysCommand(UINT id, LPARAM lParam) override;
    BOOL OnCommand(UINT id, UINT code) override;
    void OnNotify(int id, UINT code) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // What the run `serial` has to tell: the row played, its end.
    void OnPlaybackNews(unsigned serial);
    // The list's rows as the player plays them.
    PlayRows PlaybackRows();
    // Hands the list, as it is once the current handler has returned, to
    // the run whenever its rows change.
    void WatchRowsForPlayback();
    void SayCursorPosUnknown();

    unsigned m_runSerial = 0;
    bool m_watchingRows = false;
    bool m_rowsChangePosted = false;
};
