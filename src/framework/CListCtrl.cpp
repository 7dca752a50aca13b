#include "framework/CListCtrl.h"

#include "framework/ListView.h"

#include <QHeaderView>
#include <QItemSelectionModel>

int CListCtrl::InsertColumn(int column, const QString& heading, int format, int width, int /*subItem*/)
{
    const int index = m_view->listModel()->insertColumn(column, heading, format);
    if (width >= 0)
        m_view->setColumnWidth(index, width);
    return index;
}

DWORD CListCtrl::SetExtendedStyle(DWORD style)
{
    const DWORD previous = m_extendedStyle;
    m_extendedStyle = style;
    m_view->setShowGrid((style & LVS_EX_GRIDLINES) != 0);
    m_view->setSelectionBehavior((style & LVS_EX_FULLROWSELECT) ? QAbstractItemView::SelectRows
                                                                  : QAbstractItemView::SelectItems);
    return previous;
}

int CListCtrl::GetColumnCount() const
{
    return m_view->listModel()->columnCount();
}

int CListCtrl::GetColumnWidth(int column) const
{
    return m_view->columnWidth(column);
}

int CListCtrl::GetItemCount() const
{
    return m_view->listModel()->storedRowCount();
}

int CListCtrl::InsertItem(int index, const QString& text)
{
    if (index < 0)
        return -1;
    return m_view->listModel()->insertRow(index, text);
}

BOOL CListCtrl::SetItemText(int row, int column, const QString& text)
{
    return m_view->listModel()->setText(row, column, text) ? TRUE : FALSE;
}

QString CListCtrl::GetItemText(int row, int column) const
{
    return m_view->listModel()->text(row, column);
}

BOOL CListCtrl::SetItemData(int row, std::intptr_t data)
{
    return m_view->listModel()->setItemData(row, data) ? TRUE : FALSE;
}

std::intptr_t CListCtrl::GetItemData(int row) const
{
    return m_view->listModel()->itemData(row);
}

BOOL CListCtrl::DeleteItem(int row)
{
    return m_view->listModel()->removeRow(row) ? TRUE : FALSE;
}

BOOL CListCtrl::DeleteAllItems()
{
    m_view->listModel()->removeAllRows();
    return TRUE;
}

int CListCtrl::GetNextItem(int start, UINT flags) const
{
    const int count = GetItemCount();
    if (!(flags & LVNI_SELECTED))
        return start + 1 < count ? start + 1 : -1;
    m_view->applyPendingSelection();
    const QItemSelectionModel* selection = m_view->selectionModel();
    const QModelIndexList rows = selection->selectedRows();
    int best = -1;
    for (const QModelIndex& index : rows)
        if (index.row() > start && (best < 0 || index.row() < best))
            best = index.row();
    if (best >= 0 || m_view->selectionBehavior() == QAbstractItemView::SelectRows)
        return best;
    // Without full-row selection a row counts as selected when a cell is.
    for (const QModelIndex& index : selection->selectedIndexes())
        if (index.row() > start && (best < 0 || index.row() < best))
            best = index.row();
    return best;
}

BOOL CListCtrl::SetItemState(int row, UINT state, UINT mask)
{
    if (row < 0 || row >= GetItemCount())
        return FALSE;
    if (mask & LVIS_SELECTED) {
        m_view->applyPendingSelection();
        m_view->listModel()->announceAppendedRows();
        QItemSelectionModel* selection = m_view->selectionModel();
        const QModelIndex index = m_view->listModel()->index(row, 0);
        if (state & LVIS_SELECTED)
            selection->select(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        else
            selection->select(index, QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
    }
    return TRUE;
}

BOOL CListCtrl::FollowItem(int row, UINT freeMs)
{
    if (row < 0 || row >= GetItemCount())
        return FALSE;
    m_view->followRow(row, freeMs);
    return TRUE;
}

BOOL CListCtrl::EnsureVisible(int row, BOOL /*partialOk*/)
{
    if (row < 0 || row >= GetItemCount())
        return FALSE;
    m_view->ensureVisibleLater(row);
    return TRUE;
}

void CListCtrl::EnableWindow(BOOL enable)
{
    m_view->setEnabled(enable != FALSE);
}

ListModel* CListCtrl::Model() const
{
    return m_view->listModel();
}
