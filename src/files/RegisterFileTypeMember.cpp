// Registration of the sequence file type with the desktop.
#include "hotkeys/CUtility.h"

int CUtility::RegisterFileType(QString, QString)
{
    return 1;
}
