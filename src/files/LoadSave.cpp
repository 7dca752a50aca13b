// Loading and saving sequences: the Load and Save buttons, dropped files,
// the question on close.
#include "app/CClickerDlg.h"

#include "files/FileDialog.h"
#include "files/SequenceFileIO.h"
#include "files/SequenceRows.h"
#include "framework/CWinApp.h"
#include "framework/MessageBox.h"
#include "res/Resources.h"

#include <QDir>
#include <QFileInfo>

namespace {

QString shownName(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

// Asks whether to save the unsaved changes; true when the caller may go on:
// No, or Yes and the save succeeded. Closing the box without an answer is
// taken as "stay".
bool saveChangesFirst(CClickerDlg& dlg)
{
    const int answer =
        ShowMessageBox(&dlg, res::loadString(IDS_SAVE_CHANGES), QString(), MB_YESNO | MB_ICONQUESTION);
    if (answer == IDNO)
        return true;
    return answer == IDYES && dlg.SaveSequence();
}

// The Load button's and a drop's load: a list with unsaved changes is not
// replaced before the user has been offered to save it.
void loadReplacingChanges(CClickerDlg& dlg, const QString& path)
{
    if (!files::hasSequenceExtension(path))
        return;
    if (dlg.m_modified && !saveChangesFirst(dlg))
        return;
    dlg.LoadSequenceFile(path);
}

// The name a Save dialog's answer is saved under: ".tpx" is added unless the
// name ends in it already. When that makes it the name of a file the dialog
// did not ask about, the user is asked before it is replaced; an empty result
// means "do not save".
QString saveNameFor(CClickerDlg& dlg, QString name)
{
    if (name.isEmpty() || files::hasSequenceExtension(name))
        return name;
    name += QStringLiteral(".tpx");
    if (QFileInfo::exists(name)) {
        const QString question = QStringLiteral("%1 already exists.\nDo you want to replace it?")
                                     .arg(QFileInfo(name).fileName());
        if (ShowMessageBox(&dlg, question, QString(), MB_YESNO | MB_ICONEXCLAMATION) != IDYES)
            return QString();
    }
    return name;
}

} // namespace

int CClickerDlg::WriteSequenceFile(const QString& path)
{
    const auto entryAt = [this](int row) {
        CClickEntry entry;
        ReadClickRow(row, entry);
        return entry;
    };
    files::SaveProblem problem;
    if (files::writeSequenceFile(path, m_list.GetItemCount(), m_repeatCount, entryAt, &problem))
        return 1;
    if (problem.reason.isEmpty()) {
        AfxMessageBox(IDS_SAVE_FAILED, MB_OK);
        return 0;
    }
    // Whether the file is as it was; the clicks are still in the list either way.
    const QString outcome =
        problem.fileKept
            ? QStringLiteral("The file is as it was.")
            : QStringLiteral("The file could not be put back as it was: save the clicks again, elsewhere.");
    AfxMessageBox(
        QStringLiteral("The clicks were not saved to \"%1\": %2. %3").arg(shownName(path), problem.reason, outcome),
        MB_OK);
    return 0;
}

int CClickerDlg::LoadSequenceFile(const QString& path)
{
    LoadProblem problem;
    const int result = LoadSequenceFile(path, problem);
    if (!problem.text.isEmpty())
        AfxMessageBox(problem.text, MB_OK);
    return result;
}

int CClickerDlg::LoadSequenceFile(const QString& path, LoadProblem& problem)
{
    problem = LoadProblem();
    if (!files::hasSequenceExtension(path))
        return 0;
    const files::SequenceFileRead read = files::readSequenceFile(path);
    if (read.status == files::SequenceFileRead::Status::Unreadable) {
        // The list, the current file and the modified flag stay as they are.
        problem.unreadable = true;
        problem.text = QStringLiteral("Could not load the clicks from \"%1\": %2.").arg(shownName(path), read.reason);
        return 0;
    }

    // A name that does not exist yet empties the list and becomes the
    // current file, so that the next Save creates it.
    m_list.DeleteAllItems();
    m_filePath = path;
    int result = 0;
    const files::DecodedSequence& sequence = read.sequence;
    if (read.status == files::SequenceFileRead::Status::Read) {
        if (sequence.hasRepeatCount) {
            m_repeatCount = sequence.repeatCount;
            UpdateData(FALSE);
        }
        if (files::appendClickRows(*this, sequence.entries) > 0)
            result = 1;
    }
    m_modified = 0;

    if (read.status == files::SequenceFileRead::Status::Read && sequence.endedEarly) {
        problem.text = sequence.hasRepeatCount
                           ? QStringLiteral("\"%1\" ends early: %2 of the %3 clicks it lists could be read.")
                                 .arg(shownName(path))
                                 .arg(sequence.entries.size())
                                 .arg(sequence.entryCount)
                           : QStringLiteral("\"%1\" ends before its header is complete: no clicks could be read.")
                                 .arg(shownName(path));
    }
    return result;
}

bool CClickerDlg::SaveSequence()
{
    CWinApp* app = AfxGetApp();
    if (app)
        app->BeginWaitCursor();
    int written = 0;
    if (!m_filePath.isEmpty()) {
        written = WriteSequenceFile(m_filePath);
    } else {
        // The current file stays empty, so the next Save asks again.
        CUtility utility;
        const QString name = saveNameFor(*this, utility.ShowFileDialog(this, files::kSequenceFileFilter, false));
        if (!name.isEmpty())
            written = WriteSequenceFile(name);
    }
    if (written == 1)
        m_modified = 0;
    if (app)
        app->EndWaitCursor();
    return written == 1;
}

void CClickerDlg::OnSaveClicks()
{
    UpdateData(TRUE);
    SaveSequence();
}

void CClickerDlg::OnLoadClicks()
{
    CWinApp* app = AfxGetApp();
    if (app)
        app->BeginWaitCursor();
    CUtility utility;
    const QString name = utility.ShowFileDialog(this, files::kSequenceFileFilter, true);
    if (!name.isEmpty()) {
        loadReplacingChanges(*this, name);
        UpdateData(FALSE);
    }
    if (app)
        app->EndWaitCursor();
}

void CClickerDlg::OnClose()
{
    if (!m_modified || saveChangesFirst(*this))
        DestroyWindow();
}

void CClickerDlg::OnDropFiles(const QStringList& paths)
{
    // The first sequence file in the order the drop lists them; the rest are
    // not looked at.
    for (const QString& path : paths) {
        if (files::hasSequenceExtension(path)) {
            loadReplacingChanges(*this, path);
            return;
        }
    }
}
