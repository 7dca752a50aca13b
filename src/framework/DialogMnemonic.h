// Which control an Alt+letter reaches in a dialog, and what it does there,
// by the rules of dialog boxes:
// - the search runs forward from the focused control, in template order,
//   and wraps;
// - a label's (or group box's) mnemonic gives the focus to the next tab-stop
//   control after it;
// - a button whose letter no other control of the dialog has is pressed;
// - where the letter is shared, the focus only moves to the next match.
#pragma once

#include "framework/DialogTemplate.h"

#include <QChar>
#include <QString>

#include <vector>

struct MnemonicControl {
    enum class Kind {
        Label,  // static text or group box: hands the focus on
        Button, // push button or check box: pressed when its letter is unique
        Field,  // edit, list, combo box: no text of its own
    };
    Kind kind = Kind::Field;
    QChar letter; // lower case; null when the control has none
    bool tabStop = false;
    bool available = true; // enabled and shown
};

struct MnemonicTarget {
    enum class Action { None, Focus, Press };
    Action action = Action::None;
    int index = -1; // the control that gets the focus or is pressed
    bool viaLabel = false;
};

// The letter after the first single "&" of `text`, lower case; null when
// there is none ("&&" is a plain ampersand).
QChar mnemonicLetter(const QString& text);

// A template's control as the search sees it, with the template's text.
MnemonicControl mnemonicControl(const ControlTemplate& control);

// Where Alt+`letter` goes from the control at `focused` (-1: none).
MnemonicTarget findMnemonicTarget(const std::vector<MnemonicControl>& controls, int focused, QChar letter);
