// Turns a dialog template into Qt widgets on a dialog: every control at its
// dialog-unit rectangle, in template order (which is the tab order), with its
// text, mnemonic and styles.
#pragma once

#include "framework/DialogTemplate.h"
#include "framework/DialogUnits.h"

#include <QFont>

#include <vector>

class QWidget;

struct BuiltControl {
    const ControlTemplate* source;
    QWidget* widget;
};

// The font a template asks for (with a sans-serif fallback where that face
// does not exist).
QFont templateFont(const DialogTemplate& dialogTemplate);

// Creates the controls of `dialogTemplate` as children of `dialog`, sizes the
// dialog's client area, and returns the controls in template order.
std::vector<BuiltControl> buildControls(QWidget* dialog, const DialogTemplate& dialogTemplate);

// Runs the template's initialisation data: the strings its combo boxes get.
void runInitData(const std::vector<BuiltControl>& controls, const DialogTemplate& dialogTemplate);
