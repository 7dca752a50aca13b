// The Open and Save dialogs for sequence files.
#include "files/FileDialog.h"

#include "framework/CWinApp.h"
#include "hotkeys/CUtility.h"

#include <QDir>
#include <QFileDialog>

namespace files {

namespace {

FileDialogHandler& handler()
{
    static FileDialogHandler h;
    return h;
}

QString showReal(const FileDialogRequest& request)
{
    QFileDialog dialog(request.owner);
    dialog.setAcceptMode(request.open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dialog.setFileMode(request.open ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setNameFilter(request.filter);
    // "*.tpx" also lists PLAN.TPX.
    dialog.setFilter(dialog.filter() & ~QDir::CaseSensitive);
    dialog.setDefaultSuffix(request.defaultSuffix);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.confirmOverwrite);
    const ModalCursor cursor;
    if (dialog.exec() != QDialog::Accepted)
        return QString();
    const QStringList chosen = dialog.selectedFiles();
    return chosen.isEmpty() ? QString() : chosen.first();
}

} // namespace

FileDialogHandler setFileDialogHandler(FileDialogHandler h)
{
    FileDialogHandler previous = std::move(handler());
    handler() = std::move(h);
    return previous;
}

} // namespace files

QString CUtility::ShowFileDialog(QWidget* owner, const QString& filter, bool open)
{
    files::FileDialogRequest request;
    request.owner = owner;
    request.filter = filter;
    request.open = open;
    request.defaultSuffix = files::kSequenceFileSuffix;
    request.confirmOverwrite = !open;
    if (files::handler())
        return files::handler()(request);
    return files::showReal(request);
}
