#include "files/SequenceRows.h"

#include "app/CClickerDlg.h"
#include "framework/ListView.h"
#include "res/Resource.h"
#include "sequence/RowText.h"

#include <QComboBox>

#include <algorithm>
#include <limits>
#include <vector>

namespace files {

int appendClickRows(CClickerDlg& dlg, const std::vector<CClickEntry>& entries)
{
    ListModel* model = dlg.m_list.Model();
    const int first = model->storedRowCount();
    const std::size_t room = static_cast<std::size_t>(std::numeric_limits<int>::max() - first);
    const int count = static_cast<int>(std::min(entries.size(), room));
    if (count == 0)
        return 0;
    dlg.m_modified = 1;

    // The texts rows share, taken into the list once: the combo box's
    // click-type entries (other values are named by rowtext) and the
    // cursor-back words.
    std::vector<RowCell> comboTexts;
    if (auto* combo = qobject_cast<QComboBox*>(dlg.GetDlgItem(IDC_CLICK_TYPE)))
        for (int i = 0; i < combo->count(); ++i)
            comboTexts.push_back(model->prepareCell(combo->itemText(i)));
    const RowCell yes = model->prepareCell(rowtext::cursorBackText(1));
    const RowCell no = model->prepareCell(rowtext::cursorBackText(0));
    const int columns = model->columnCount();
    const int types = static_cast<int>(comboTexts.size());

    model->appendRows(count, [&](int k, RowCell* cells) {
        const CClickEntry& e = entries[static_cast<std::size_t>(k)];
        const int type = e.m_clickType;
        // A list without all six columns keeps the cells it has room for.
        auto put = [&](int column, const RowCell& cell) {
            if (column < columns)
                cells[column] = cell;
        };
        put(0, RowCell::number(static_cast<std::uint32_t>(first + k + 1)));
        put(1, type >= 0 && type < types ? comboTexts[static_cast<std::size_t>(type)]
                                         : RowCell(rowtext::clickTypeText(type)));
        put(2, RowCell::number(e.m_x));
        put(3, RowCell::number(e.m_y));
        put(4, e.m_cursorBack != 0 ? yes : no);
        put(5, RowCell::number(e.m_delay));
        return static_cast<std::intptr_t>(type);
    });
    dlg.m_list.EnsureVisible(first + count - 1, FALSE);
    return count;
}

} // namespace files
