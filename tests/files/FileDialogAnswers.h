// Answers the sequence file dialogs in advance, as a user would, and records
// what each one was asked to show.
#pragma once

#include "files/FileDialog.h"

#include <deque>
#include <utility>
#include <vector>

namespace quorvel::test {

class FileDialogAnswers {
public:
    FileDialogAnswers()
    {
        m_previous = files::setFileDialogHandler([this](const files::FileDialogRequest& request) {
            requests.push_back(request);
            if (m_answers.empty())
                return QString(); // Cancel
            QString answer = m_answers.front();
            m_answers.pop_front();
            return answer;
        });
    }
    ~FileDialogAnswers() { files::setFileDialogHandler(std::move(m_previous)); }
    FileDialogAnswers(const FileDialogAnswers&) = delete;
    FileDialogAnswers& operator=(const FileDialogAnswers&) = delete;

    // The next dialog returns `path`; an empty path is Cancel, and so is any
    // dialog without a queued answer.
    void answerNext(const QString& path) { m_answers.push_back(path); }

    std::vector<files::FileDialogRequest> requests;

private:
    std::deque<QString> m_answers;
    files::FileDialogHandler m_previous;
};

} // namespace quorvel::test
