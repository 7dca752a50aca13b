// Many clicks written into the main window's sequence list at once.
#pragma once

#include "sequence/CClickEntry.h"

#include <vector>

class CClickerDlg;

namespace files {

// Appends `entries` to the sequence list exactly as InsertClickRow(-1, entry)
// does for each in turn (rows numbered on from the rows already there, the
// click type's text and item data, "Yes"/"No", the modified flag set once a
// row was added, the last row scrolled into view), but as one insertion
// without a notification per row. Returns the number of rows appended.
int appendClickRows(CClickerDlg& dlg, const std::vector<CClickEntry>& entries);

} // namespace files
