// The About box: the program's name, version and maker; OK or Esc closes it.
#pragma once

#include "framework/CDialog.h"

class CAboutDlg : public CDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};
