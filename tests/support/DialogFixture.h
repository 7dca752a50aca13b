// What a dialog test needs: the recording platform, answers for message
// boxes and file dialogs, and the application object with its main window,
// created on Qt's offscreen platform.
#pragma once

#include "app/CClickerApp.h"
#include "framework/MessageBox.h"
#include "platform/fake/RecordingPlatform.h"

#include <QStringList>

#include <deque>
#include <memory>
#include <vector>

namespace quorvel::test {

// Records every message box and answers it: with the next queued answer, or
// else the first button of its set (OK, Yes).
class MessageBoxRecorder {
public:
    MessageBoxRecorder();
    ~MessageBoxRecorder();
    MessageBoxRecorder(const MessageBoxRecorder&) = delete;
    MessageBoxRecorder& operator=(const MessageBoxRecorder&) = delete;

    void answerNext(int answer) { m_answers.push_back(answer); }
    // Texts shown so far.
    QStringList texts() const;
    void clear() { shown.clear(); }

    std::vector<MessageBoxRequest> shown;

private:
    std::deque<int> m_answers;
    MessageBoxHandler m_previous;
};

class DialogFixture {
public:
    DialogFixture();
    ~DialogFixture();

    // Runs start-up with these command-line arguments and the back end's
    // note; its result.
    bool start(const QStringList& arguments = {}, const QString& backendNote = {});
    CClickerApp& app() { return *m_app; }
    CClickerDlg& dlg() { return m_app->m_dlg; }

    platform::fake::ScopedRecordingPlatform platform;
    MessageBoxRecorder boxes;

private:
    std::unique_ptr<CClickerApp> m_app;
};

// Handles the events already posted (posted messages, deferred scrolls),
// without waiting for new ones.
void processPostedEvents();

// Types `text` into the edit or combo control `id` as a user would leave it.
void setControlText(CDialog& dialog, int id, const QString& text);

// An entry with these values.
CClickEntry makeEntry(std::uint32_t x, std::uint32_t y, int clickType = 0, int cursorBack = 0,
                      std::uint32_t delay = 1000, std::uint16_t serial = 0);

} // namespace quorvel::test
