// A small helper object: the cached double-click pause (the mouse actions
// themselves are the player's, playback/MouseActions.cpp), the sequence file
// dialog, and the file-type registration.
#pragma once

#include <QString>

class QWidget;

class CUtility {
public:
    CUtility() = default;
    virtual ~CUtility() = default;

    // The pause inside a double click in ms (default 10), read from the
    // profile at the first call and kept within 0..5000.
    int GetDoubleClickDelay();

    // The Open (open = true) or Save dialog for sequence files; the chosen
    // full path, or an empty string.
    QString ShowFileDialog(QWidget* owner, const QString& filter, bool open);

    // Registers the sequence file type with the desktop; 1 on success, 0 on
    // failure.
    int RegisterFileType(QString extension, QString description);

private:
    int m_doubleClickDelay = -1; // -1: not read yet
};
