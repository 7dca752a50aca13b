// Loading and saving sequences: the Load and Save buttons, dropped files,
// the question on close.
#include "app/CClickerDlg.h"

int CClickerDlg::WriteSequenceFile(const QString&)
{
    return 0;
}

int CClickerDlg::LoadSequenceFile(const QString&)
{
    return 0;
}

bool CClickerDlg::SaveSequence()
{
    return false;
}

void CClickerDlg::OnLoadClicks() {}

void CClickerDlg::OnSaveClicks() {}

void CClickerDlg::OnClose()
{
    DestroyWindow();
}

void CClickerDlg::OnDropFiles(const QStringList&) {}
