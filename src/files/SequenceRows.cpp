#include "files/SequenceRows.h"

#include "app/CClickerDlg.h"
#include "framework/ListView.h"
#include "res/Resource.h"
#include "sequence/RowText.h"

#include <QComboBox>

#include <algorithm>
#include <limits>
#include <utility>

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

    // The texts every row shares, made once: the combo box's click-type
    // entries (other values are named by rowtext) and the cursor-back words.
    QStringList comboTexts;
    if (auto* combo = qobject_cast<QComboBox*>(dlg.GetDlgItem(IDC_CLICK_TYPE)))
        for (int i = 0; i < combo->count(); ++i)
            comboTexts << combo->itemText(i);
    const QString yes = rowtext::cursorBackText(1);
    const QString no = rowtext::cursorBackText(0);
    const int columns = model->columnCount();

    model->appendRows(count, [&](int k, RowCell* cells) {
        const CClickEntry& e = entries[static_cast<std::size_t>(k)];
        const int type = e.m_clickType;
        // A list without all six columns keeps the cells it has room for.
        auto put = [&](int column, RowCell cell) {
            if (column < columns)
                cells[column] = std::move(cell);
        };
        put(0, RowCell::number(static_cast<std::uint32_t>(first + k + 1)));
        put(1, type >= 0 && type < comboTexts.size() ? comboTexts[type] : rowtext::clickTypeText(type));
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
