// The Open and Save dialogs for sequence files.
#include "hotkeys/CUtility.h"

QString CUtility::ShowFileDialog(QWidget*, const QString&, bool)
{
    return QString();
}
