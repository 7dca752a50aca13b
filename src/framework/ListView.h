// The report list widget (a QTableView over a RowStore model) and its model.
// CListCtrl is the handle the dialog code uses to work it.
#pragma once

#include "framework/RowStore.h"

#include <QAbstractTableModel>
#include <QElapsedTimer>
#include <QTableView>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <vector>

class ListModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit ListModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Returns the new column's index.
    int insertColumn(int column, const QString& header, int format);
    int insertRow(int index, const QString& firstCell);
    bool setText(int row, int column, const QString& text);
    QString text(int row, int column) const;
    std::intptr_t itemData(int row) const;
    bool setItemData(int row, std::intptr_t data);
    bool removeRow(int row);
    void removeAllRows();

    // Fills `cells` (columnCount() of them, all empty on entry) for the k-th
    // row of a bulk append and returns that row's item data.
    using RowSource = std::function<std::intptr_t(int k, RowCell* cells)>;
    // Appends `count` rows taken from `source` in order, announced to the
    // views as one insertion. Returns the index of the first new row.
    int appendRows(int count, const RowSource& source);

    // A text to put into many rows appended with appendRows.
    RowCell prepareCell(const QString& text) { return m_store.prepareCell(text); }
    const RowStore& store() const { return m_store; }
    // Every row, including those appended but not yet announced to the views.
    int storedRowCount() const { return m_store.rowCount(); }
    // Tells the views of the rows appended since they were last told.
    void announceAppendedRows();

private:
    void noteChanged(int row, int column);
    void flushChanges();
    void widenPendingChanges(int fromRow);

    struct Column {
        QString header;
        int format; // LVCFMT_
    };
    bool validRow(int row) const { return row >= 0 && row < m_store.rowCount(); }
    Qt::Alignment alignment(int column) const;

    std::vector<Column> m_columns;
    RowStore m_store;
    // The cells written since the views were last told.
    struct Changes {
        bool pending = false;
        int firstRow = 0, lastRow = 0, firstColumn = 0, lastColumn = 0;
    };
    Changes m_changed;
    // Rows the views know of; rows appended after them are announced once
    // the current handler has returned, or before anything else changes.
    int m_announced = 0;
    bool m_announceScheduled = false;
};

class ListView final : public QTableView {
    Q_OBJECT
public:
    explicit ListView(QWidget* parent = nullptr);

    ListModel* listModel() const { return m_model; }
    // Scrolls `row` fully into view once the current handler has returned,
    // so that a burst of inserts scrolls once.
    void ensureVisibleLater(int row);

    // Selects `row` alone and scrolls it into view, but passes at most one
    // such move per display frame on to the view: of a burst of them
    // (playback at short delays) the view shows the one standing at each
    // frame, and paints once. `freeMs` is how long the caller leaves the
    // thread free afterwards; while a repaint would not fit into it, moves
    // are held back, for at most kLongestHoldMs. A selection held back is
    // applied before anything reads the selection or changes the rows.
    void followRow(int row, std::uint32_t freeMs);
    void applyPendingSelection();

signals:
    // A mouse click on the list, sent after the click has moved the
    // selection. Keyboard moves send none.
    void clickNotify();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void showRow(int row);

    ListModel* m_model;
    int m_pendingScrollRow = -1;
    // A repaint of the list is taken to fit into this many milliseconds.
    static constexpr qint64 kRepaintMs = 4;
    static constexpr qint64 kLongestHoldMs = 250;

    int m_pendingSelection = -1;
    QElapsedTimer m_selectionShown; // since the last selection reached the view
    QTimer m_selectionTimer;
};
