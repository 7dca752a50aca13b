// The editing commands of the sequence list. An update or a move deletes a
// row and inserts a new one; no row is changed in place, and serial numbers
// are never renumbered.
#include "app/CClickerDlg.h"
#include "framework/MessageBox.h"
#include "res/Resource.h"

void CClickerDlg::OnAdd()
{
    UpdateData(TRUE);
    const int i = InsertClickRow(-1, m_editEntry);
    SelectRow(i);
}

void CClickerDlg::OnUpdate()
{
    int count = 0;
    const int s = GetSelectedRow(count);
    if (s == -1) {
        AfxMessageBox(IDS_SELECT_CLICK, MB_OK);
        return;
    }
    UpdateData(TRUE);
    m_list.DeleteItem(s);
    const int i = InsertClickRow(s, m_editEntry);
    SelectRow(i);
}

void CClickerDlg::OnDelete()
{
    int count = 0;
    int s = GetSelectedRow(count);
    if (s == -1) {
        AfxMessageBox(IDS_SELECT_CLICK, MB_OK);
        return;
    }
    m_modified = 1;
    m_list.DeleteItem(s);
    const int n = m_list.GetItemCount();
    if (s >= n)
        s = s - 1;
    SelectRow(s);
}

void CClickerDlg::OnMoveUp()
{
    int count = 0;
    const int s = GetSelectedRow(count);
    if (s == -1) {
        AfxMessageBox(IDS_SELECT_CLICK, MB_OK);
        return;
    }
    if (s <= 0)
        return;
    CClickEntry e;
    ReadClickRow(s, e);
    m_list.DeleteItem(s);
    const int i = InsertClickRow(s - 1, e);
    SelectRow(i);
}

void CClickerDlg::OnMoveDown()
{
    int count = 0;
    const int s = GetSelectedRow(count);
    if (s == -1) {
        AfxMessageBox(IDS_SELECT_CLICK, MB_OK);
        return;
    }
    if (s >= count - 1)
        return;
    CClickEntry e;
    ReadClickRow(s, e);
    m_list.DeleteItem(s);
    const int i = InsertClickRow(s + 1, e);
    SelectRow(i);
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
