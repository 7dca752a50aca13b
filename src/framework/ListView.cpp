#include "framework/ListView.h"

#include "framework/Win32Types.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QMouseEvent>
#include <QScreen>

#include <algorithm>
#include <limits>

ListModel::ListModel(QObject* parent) : QAbstractTableModel(parent), m_store(1) {}

int ListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_announced;
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
    announceAppendedRows();
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
    if (index == m_store.rowCount()) {
        // Rows appended by one handler reach the views as one insertion once
        // the handler has returned (appending row by row is how a sequence
        // is built, and telling the views of each row costs more than it).
        m_store.insertRow(index);
        m_store.setText(index, 0, firstCell);
        if (!m_announceScheduled) {
            m_announceScheduled = true;
            QMetaObject::invokeMethod(this, &ListModel::announceAppendedRows, Qt::QueuedConnection);
        }
        return index;
    }
    announceAppendedRows();
    widenPendingChanges(index);
    beginInsertRows(QModelIndex(), index, index);
    m_store.insertRow(index);
    m_store.setText(index, 0, firstCell);
    m_announced = m_store.rowCount();
    endInsertRows();
    return index;
}

bool ListModel::setText(int row, int column, const QString& text)
{
    if (!validRow(row) || column < 0 || column >= m_store.columnCount())
        return false;
    m_store.setText(row, column, text);
    if (row < m_announced)
        noteChanged(row, column);
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

// Cells written by one handler reach the views as one change once the
// handler has returned: a row is written cell by cell right after it is
// inserted, and a change per cell would cost more than the writing.
void ListModel::noteChanged(int row, int column)
{
    if (!m_changed.pending) {
        QMetaObject::invokeMethod(this, &ListModel::flushChanges, Qt::QueuedConnection);
        m_changed = {true, row, row, column, column};
        return;
    }
    m_changed.firstRow = std::min(m_changed.firstRow, row);
    m_changed.lastRow = std::max(m_changed.lastRow, row);
    m_changed.firstColumn = std::min(m_changed.firstColumn, column);
    m_changed.lastColumn = std::max(m_changed.lastColumn, column);
}

void ListModel::flushChanges()
{
    if (!m_changed.pending)
        return;
    const Changes changed = m_changed;
    m_changed = {};
    const int last = m_announced - 1;
    const int first = std::min(changed.firstRow, last);
    if (first < 0)
        return;
    emit dataChanged(index(first, changed.firstColumn), index(std::min(changed.lastRow, last), changed.lastColumn),
                     {Qt::DisplayRole});
}

void ListModel::widenPendingChanges(int fromRow)
{
    // Rows move: what changed below `fromRow` may now stand anywhere below it.
    if (m_changed.pending) {
        m_changed.firstRow = std::min(m_changed.firstRow, fromRow);
        m_changed.lastRow = std::numeric_limits<int>::max();
    }
}

bool ListModel::removeRow(int row)
{
    if (!validRow(row))
        return false;
    announceAppendedRows();
    widenPendingChanges(row);
    beginRemoveRows(QModelIndex(), row, row);
    m_store.removeRow(row);
    m_announced = m_store.rowCount();
    endRemoveRows();
    return true;
}

int ListModel::appendRows(int count, const RowSource& source)
{
    announceAppendedRows();
    const int first = m_store.rowCount();
    if (count <= 0)
        return first;
    const int columns = m_store.columnCount();
    std::vector<RowCell> cells(static_cast<size_t>(columns));
    beginInsertRows(QModelIndex(), first, first + count - 1);
    m_store.reserveRows(first + count);
    for (int k = 0; k < count; ++k) {
        std::fill(cells.begin(), cells.end(), RowCell());
        const std::intptr_t data = source(k, cells.data());
        m_store.appendRow(cells.data(), columns, data);
    }
    m_announced = m_store.rowCount();
    endInsertRows();
    return first;
}

void ListModel::removeAllRows()
{
    m_changed = {};
    beginResetModel();
    m_store.clear();
    m_announced = 0;
    endResetModel();
}

void ListModel::announceAppendedRows()
{
    m_announceScheduled = false;
    const int stored = m_store.rowCount();
    if (stored <= m_announced)
        return;
    beginInsertRows(QModelIndex(), m_announced, stored - 1);
    m_announced = stored;
    endInsertRows();
}

ListView::ListView(QWidget* parent) : QTableView(parent), m_model(new ListModel(this))
{
    setModel(m_model);
    // The header shows no selection; given the list's, it would repaint
    // whenever the playing row moves.
    horizontalHeader()->setSelectionModel(new QItemSelectionModel(m_model, horizontalHeader()));
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

    m_selectionTimer.setSingleShot(true);
    m_selectionTimer.setTimerType(Qt::CoarseTimer);
    connect(&m_selectionTimer, &QTimer::timeout, this, &ListView::applyPendingSelection);
    // A held-back selection was made before the change and goes first; a
    // reset clears the selection anyway.
    connect(m_model, &QAbstractItemModel::rowsAboutToBeInserted, this, &ListView::applyPendingSelection);
    connect(m_model, &QAbstractItemModel::rowsAboutToBeRemoved, this, &ListView::applyPendingSelection);
    connect(m_model, &QAbstractItemModel::modelAboutToBeReset, this, [this] {
        m_pendingSelection = -1;
        m_selectionTimer.stop();
    });
}

void ListView::followRow(int row, std::uint32_t freeMs)
{
    if (row < 0 || row >= m_model->storedRowCount())
        return;
    m_pendingSelection = row;
    const double hz = screen() ? screen()->refreshRate() : 60.0;
    const qint64 frameMs = static_cast<qint64>(1000.0 / std::clamp(hz, 24.0, 240.0));
    const qint64 since = m_selectionShown.isValid() ? m_selectionShown.elapsed() : kLongestHoldMs;
    const qint64 untilFrame = std::max<qint64>(0, frameMs - since);
    if (untilFrame + kRepaintMs > static_cast<qint64>(freeMs)) {
        // A repaint now or at the next frame would come in the way of the
        // caller's next work.
        m_selectionTimer.stop();
        if (since >= kLongestHoldMs)
            applyPendingSelection();
        return;
    }
    if (untilFrame == 0)
        applyPendingSelection();
    else if (!m_selectionTimer.isActive())
        m_selectionTimer.start(static_cast<int>(untilFrame));
}

void ListView::applyPendingSelection()
{
    if (m_pendingSelection < 0)
        return;
    const int row = m_pendingSelection;
    m_pendingSelection = -1;
    m_selectionTimer.stop();
    showRow(row);
}

void ListView::showRow(int row)
{
    m_selectionShown.start();
    if (row >= m_model->rowCount())
        m_model->announceAppendedRows();
    const QModelIndex index = m_model->index(row, 0);
    selectionModel()->select(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    // A row out of sight comes to the top: a list played in order then
    // scrolls (and repaints whole) once per page, not once per row.
    if (!viewport()->rect().contains(visualRect(index)))
        scrollTo(index, QAbstractItemView::PositionAtTop);
}

void ListView::ensureVisibleLater(int row)
{
    const bool scheduled = m_pendingScrollRow >= 0;
    m_pendingScrollRow = row;
    if (scheduled)
        return;
    QTimer::singleShot(0, this, [this] {
        m_model->announceAppendedRows();
        const int target = std::min(m_pendingScrollRow, m_model->rowCount() - 1);
        m_pendingScrollRow = -1;
        // The view lays out new rows on a timer of its own, which may not
        // have run yet: without that layout the scroll range is stale and
        // the scroll stops short of the row.
        executeDelayedItemsLayout();
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
