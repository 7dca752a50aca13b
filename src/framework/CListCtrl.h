// Handle on a report list widget, with the list-view operations the dialog
// code relies on. It is attached to its widget by the dialog data exchange.
#pragma once

#include "framework/Win32Types.h"

#include <QString>

#include <cstdint>

class ListView;
class ListModel;

enum : UINT {
    LVNI_ALL = 0x0000,
    LVNI_SELECTED = 0x0002,
};

class CListCtrl {
public:
    CListCtrl() = default;
    CListCtrl(const CListCtrl&) = delete;
    CListCtrl& operator=(const CListCtrl&) = delete;

    void Attach(ListView* view) { m_view = view; }
    ListView* GetWidget() const { return m_view; }
    bool IsAttached() const { return m_view != nullptr; }

    int InsertColumn(int column, const QString& heading, int format, int width, int subItem = -1);
    // LVM_SETEXTENDEDLISTVIEWSTYLE: grid lines and full-row selection.
    DWORD SetExtendedStyle(DWORD style);
    DWORD GetExtendedStyle() const { return m_extendedStyle; }
    int GetColumnCount() const;
    int GetColumnWidth(int column) const;

    int GetItemCount() const;
    // Inserts a row with `text` in column 0 at `index`; an index past the end
    // appends. Returns the new row's index, or -1.
    int InsertItem(int index, const QString& text);
    BOOL SetItemText(int row, int column, const QString& text);
    QString GetItemText(int row, int column) const;
    BOOL SetItemData(int row, std::intptr_t data);
    std::intptr_t GetItemData(int row) const;
    BOOL DeleteItem(int row);
    BOOL DeleteAllItems();

    // The first row after `start` (-1: from the top) with the state `flags`
    // (LVNI_SELECTED), or -1.
    int GetNextItem(int start, UINT flags) const;
    // Sets the LVIS_SELECTED state of `row` as `mask` and `state` say. The
    // list takes one selected row only; the focus is not moved.
    BOOL SetItemState(int row, UINT state, UINT mask);
    // Selects `row` as SetItemState(row, LVIS_SELECTED, LVIS_SELECTED) does
    // and scrolls it into view, but lets the list show at most one such move
    // per display frame, and none while the caller will need the thread
    // again within `freeMs` (ListView::followRow). Readers of the selection
    // see it at once.
    BOOL FollowItem(int row, UINT freeMs = 0xFFFFFFFF);
    // Scrolls `row` fully into view.
    BOOL EnsureVisible(int row, BOOL partialOk);

    void EnableWindow(BOOL enable);

    // The model behind the widget, for operations on many rows at once.
    ListModel* Model() const;

private:
    ListView* m_view = nullptr;
    DWORD m_extendedStyle = 0;
};
