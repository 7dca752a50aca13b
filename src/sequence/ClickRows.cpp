// The sequence list's row format: the main window's operations that write a
// click as a row and read it back.
#include "app/CClickerDlg.h"
#include "sequence/RowText.h"

#include <QComboBox>

void CClickerDlg::InitListColumns()
{
    m_list.InsertColumn(0, QStringLiteral("Sr No"), LVCFMT_LEFT, 35, -1);
    m_list.InsertColumn(1, QStringLiteral("Click Type"), LVCFMT_CENTER, 100, -1);
    m_list.InsertColumn(2, QStringLiteral("X"), LVCFMT_CENTER, 50, -1);
    m_list.InsertColumn(3, QStringLiteral("Y"), LVCFMT_CENTER, 50, -1);
    m_list.InsertColumn(4, QStringLiteral("Cursor Back"), LVCFMT_CENTER, 75, -1);
    m_list.InsertColumn(5, QStringLiteral("Delay (Milli Seconds)"), LVCFMT_CENTER, 115, -1);
    m_list.SetExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
}

int CClickerDlg::InsertClickRow(int position, CClickEntry entry)
{
    m_modified = 1;
    QString serialText;
    int index = position;
    if (position == -1) {
        const int n = m_list.GetItemCount();
        serialText = QString::number(n + 1);
        index = n + 1; // past the end: the list appends
    } else {
        serialText = QString::number(entry.m_serial);
    }
    const int i = m_list.InsertItem(index, serialText);

    QString typeText = rowtext::clickTypeText(entry.m_clickType);
    if (auto* combo = qobject_cast<QComboBox*>(GetDlgItem(1002));
        combo && entry.m_clickType >= 0 && entry.m_clickType < combo->count())
        typeText = combo->itemText(entry.m_clickType);
    m_list.SetItemText(i, 1, typeText);
    m_list.SetItemData(i, entry.m_clickType);
    m_list.SetItemText(i, 2, QString::number(entry.m_x));
    m_list.SetItemText(i, 3, QString::number(entry.m_y));
    m_list.SetItemText(i, 4, rowtext::cursorBackText(entry.m_cursorBack));
    m_list.SetItemText(i, 5, QString::number(entry.m_delay));
    m_list.EnsureVisible(i, FALSE);
    return i;
}

void CClickerDlg::ReadClickRow(int row, CClickEntry& entry)
{
    entry.m_serial = static_cast<std::uint16_t>(rowtext::numberOrZero(m_list.GetItemText(row, 0)) & 0xFFFF);
    entry.m_clickType = static_cast<int>(m_list.GetItemData(row));
    entry.m_x = rowtext::numberOrZero(m_list.GetItemText(row, 2));
    entry.m_y = rowtext::numberOrZero(m_list.GetItemText(row, 3));
    entry.m_cursorBack = rowtext::cursorBackFromText(m_list.GetItemText(row, 4));
    if (const auto delay = rowtext::leadingNumber(m_list.GetItemText(row, 5)))
        entry.m_delay = *delay;
}

int CClickerDlg::GetSelectedRow(int& count)
{
    count = m_list.GetItemCount();
    return m_list.GetNextItem(-1, LVNI_SELECTED);
}

void CClickerDlg::SelectRow(int row)
{
    m_list.SetItemState(row, LVIS_SELECTED, LVIS_SELECTED);
}
