// Names and descriptions for screen readers, taken from a dialog template.
// A control without text of its own (an edit field, combo box, list or
// hot-key field) is named after the label that describes it: the label or
// group box just before it in the template, or else the label on the same
// row. A button whose text another button shares ("Assign", "Clear") is
// described by the field on its row, so that the two can be told apart.
#pragma once

#include "framework/DialogTemplate.h"

#include <QString>

#include <vector>

struct AccessibleText {
    QString name; // empty: the control's own text serves
    QString description;
};

// A label's text as it is read out: without its mnemonic "&" and its colon
// ("&X Co-ordinate :" is "X Co-ordinate").
QString spokenLabel(const QString& labelText);

// One entry per control of `dialogTemplate`, in template order.
std::vector<AccessibleText> accessibleTexts(const DialogTemplate& dialogTemplate);
