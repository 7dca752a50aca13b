// The sequence list's row format: the main window's operations that write a
// click as a row and read it back.
#include "app/CClickerDlg.h"
#include "framework/ListView.h"
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
    // The cells are read as the store keeps them: a number cell is the
    // number its text would parse to, and only a text the store does not
    // keep whole is made to be parsed. Playback reads two rows per click,
    // and saving reads every row, so this makes no text where it can.
    const RowStore& store = m_list.Model()->store();
    const bool valid = row >= 0 && row < store.rowCount();
    RowStore::CellView cells[6];
    if (valid)
        store.cells(row, cells, 6);
    const auto withText = [&](int column, auto&& read) {
        const RowStore::CellView& cell = cells[column];
        if (cell.kind == RowStore::CellView::Kind::Text)
            return cell.text ? read(*cell.text) : read(store.text(row, column));
        return read(QString());
    };
    const auto number = [&](int column) -> std::optional<std::uint32_t> {
        if (cells[column].kind == RowStore::CellView::Kind::Number)
            return cells[column].number;
        return withText(column, [](const QString& text) { return rowtext::leadingNumber(text); });
    };

    entry.m_serial = static_cast<std::uint16_t>(number(0).value_or(0) & 0xFFFF);
    entry.m_clickType = valid ? static_cast<int>(store.data(row)) : 0;
    entry.m_x = number(2).value_or(0);
    entry.m_y = number(3).value_or(0);
    entry.m_cursorBack = withText(4, [](const QString& text) { return rowtext::cursorBackFromText(text); });
    if (const auto delay = number(5))
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
