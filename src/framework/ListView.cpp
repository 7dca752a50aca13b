#include "framework/ListView.h"

#include "framework/Win32Types.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QTimer>

ListModel::ListModel(QObject* parent) : QAbstractTableModel(parent), m_store(1) {}

int ListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_store.rowCount();
}

int ListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_columns.size());
}

Qt::Alignment ListModel::alignment(int column) const
{
    if (column < 0 || column >= static_cast<int>(m_columns.size()))
        return Qt::AlignLeft | Qt::AlignVCenter;
    switch (m_columns[static_cast<size_t>(column)].format & 0x3) {
    case LVCFMT_CENTER:
        return Qt::AlignHCenter | Qt::AlignVCenter;
    case LVCFMT_RIGHT:
        return Qt::AlignRight | Qt::AlignVCenter;
    default:
        return Qt::AlignLeft | Qt::AlignVCenter;
    }
}

QVariant ListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || !validRow(index.row()))
        return QVariant();
    if (role == Qt::DisplayRole)
        return m_store.text(index.row(), index.column());
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(alignment(index.column()));
    return QVariant();
}

QVariant ListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= static_cast<int>(m_columns.size()))
        return QVariant();
    if (role == Qt::DisplayRole)
        return m_columns[static_cast<size_t>(section)].header;
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(alignment(section));
    return QVariant();
}

int ListModel::insertColumn(int column, const QString& header, int format)
{
    column = std::clamp(column, 0, static_cast<int>(m_columns.size()));
    beginInsertColumns(QModelIndex(), column, column);
    m_columns.insert(m_columns.begin() + column, Column{header, format});
    // Cells of existing rows belong to their column index; a list gets its
    // columns before its rows, so appending cell room is enough.
    m_store.setColumnCount(static_cast<int>(m_columns.size()));
    endInsertColumns();
    return column;
}

int ListModel::insertRow(int index, const QString& firstCell)
{
    index = std::clamp(index, 0, m_store.rowCount());
    beginInsertRows(QModelIndex(), index, index);
    m_store.insertRow(index);
    m_store.setText(index, 0, firstCell);
    endInsertRows();
    return index;
}

bool ListModel::setText(int row, int column, const QString& text)
{
    if (!validRow(row) || column < 0 || column >= m_store.columnCount())
        return false;
    m_store.setText(row, column, text);
    const QModelIndex i = index(row, column);
    emit dataChanged(i, i, {Qt::DisplayRole});
    return true;
}

QString ListModel::text(int row, int column) const
{
    return validRow(row) ? m_store.text(row, column) : QString();
}

std::intptr_t ListModel::itemData(int row) const
{
    return validRow(row) ? m_store.data(row) : 0;
}

bool ListModel::setItemData(int row, std::intptr_t data)
{
    if (!validRow(row))
        return false;
    m_store.setData(row, data);
    return true;
}

bool ListModel::removeRow(int row)
{
    if (!validRow(row))
        return false;
    beginRemoveRows(QModelIndex(), row, row);
    m_store.removeRow(row);
    endRemoveRows();
    return true;
}

void ListModel::removeAllRows()
{
    beginResetModel();
    m_store.clear();
    endResetModel();
}

ListView::ListView(QWidget* parent) : QTableView(parent), m_model(new ListModel(this))
{
    setModel(m_model);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(false);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    setTabKeyNavigation(false);
    setShowGrid(false);
    // The selection stays as visible when the list has no focus.
    QPalette p = palette();
    p.setColor(QPalette::Inactive, QPalette::Highlight, p.color(QPalette::Active, QPalette::Highlight));
    p.setColor(QPalette::Inactive, QPalette::HighlightedText, p.color(QPalette::Active, QPalette::HighlightedText));
    setPalette(p);
}

void ListView::ensureVisibleLater(int row)
{
    const bool scheduled = m_pendingScrollRow >= 0;
    m_pendingScrollRow = row;
    if (scheduled)
        return;
    QTimer::singleShot(0, this, [this] {
        const int target = std::min(m_pendingScrollRow, m_model->rowCount() - 1);
        m_pendingScrollRow = -1;
        if (target >= 0)
            scrollTo(m_model->index(target, 0), QAbstractItemView::EnsureVisible);
    });
}

void ListView::mouseReleaseEvent(QMouseEvent* event)
{
    QTableView::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton)
        emit clickNotify();
}
