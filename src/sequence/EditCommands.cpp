// The editing commands of the sequence list. An update or a move deletes a
// row and inserts a new one; no row is changed in place, and serial numbers
// are never renumbered.
#include "app/CClickerDlg.h"
#include "framework/MessageBox.h"
#include "res/Resource.h"

namespace {

// The selected row of a command that needs one; -1, after saying so, when
// there is none. `count` gets the row count.
int selectedRowOrSay(CClickerDlg& dlg, int& count)
{
    const int s = dlg.GetSelectedRow(count);
    if (s == -1)
        AfxMessageBox(IDS_SELECT_CLICK, MB_OK);
    return s;
}

// Moves the selected row one place up (-1) or down (+1), keeping its
// number; nothing at the first or the last row.
void moveSelectedRow(CClickerDlg& dlg, int step)
{
    int count = 0;
    const int s = selectedRowOrSay(dlg, count);
    if (s == -1)
        return;
    if (step < 0 ? s <= 0 : s >= count - 1)
        return;
    CClickEntry e;
    dlg.ReadClickRow(s, e);
    dlg.m_list.DeleteItem(s);
    const int i = dlg.InsertClickRow(s + step, e);
    dlg.SelectRow(i);
}

} // namespace

void CClickerDlg::OnAdd()
{
    UpdateData(TRUE);
    const int i = InsertClickRow(-1, m_editEntry);
    SelectRow(i);
}

void CClickerDlg::OnUpdate()
{
    int count = 0;
    const int s = selectedRowOrSay(*this, count);
    if (s == -1)
        return;
    UpdateData(TRUE);
    m_list.DeleteItem(s);
    const int i = InsertClickRow(s, m_editEntry);
    SelectRow(i);
}

void CClickerDlg::OnDelete()
{
    int count = 0;
    int s = selectedRowOrSay(*this, count);
    if (s == -1)
        return;
    m_modified = 1;
    m_list.DeleteItem(s);
    const int n = m_list.GetItemCount();
    if (s >= n)
        s = s - 1;
    SelectRow(s);
}

void CClickerDlg::OnMoveUp()
{
    moveSelectedRow(*this, -1);
}

void CClickerDlg::OnMoveDown()
{
    moveSelectedRow(*this, +1);
}

void CClickerDlg::OnDeleteAll()
{
    if (m_list.GetItemCount() > 0) {
        m_modified = 1;
        m_list.DeleteAllItems();
    }
}

void CClickerDlg::OnClickList()
{
    const int r = m_list.GetNextItem(-1, LVNI_SELECTED);
    if (r != -1) {
        ReadClickRow(r, m_editEntry);
        UpdateData(FALSE);
    }
}
