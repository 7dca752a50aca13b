#include "framework/DialogMnemonic.h"

QChar mnemonicLetter(const QString& text)
{
    for (int i = 0; i + 1 < text.size(); ++i) {
        if (text.at(i) != QLatin1Char('&'))
            continue;
        if (text.at(i + 1) != QLatin1Char('&'))
            return text.at(i + 1).toLower();
        ++i; // "&&"
    }
    return QChar();
}

MnemonicControl mnemonicControl(const ControlTemplate& c)
{
    MnemonicControl m;
    const QString text = QString::fromUtf8(c.text);
    switch (c.cls) {
    case ControlClass::Static:
        m.kind = MnemonicControl::Kind::Label;
        if ((c.style & 0x1F) != SS_ICON && !(c.style & SS_NOPREFIX))
            m.letter = mnemonicLetter(text);
        break;
    case ControlClass::Button:
        m.kind = (c.style & BS_TYPEMASK) == BS_GROUPBOX ? MnemonicControl::Kind::Label : MnemonicControl::Kind::Button;
        m.letter = mnemonicLetter(text);
        break;
    default:
        break;
    }
    m.tabStop = (c.style & WS_TABSTOP) != 0;
    return m;
}

MnemonicTarget findMnemonicTarget(const std::vector<MnemonicControl>& controls, int focused, QChar letter)
{
    MnemonicTarget none;
    const int n = static_cast<int>(controls.size());
    if (letter.isNull() || n == 0)
        return none;
    letter = letter.toLower();
    const auto matches = [&](int i) { return controls[i].available && controls[i].letter == letter; };

    int found = -1;
    int count = 0;
    for (int step = 1; step <= n; ++step) {
        const int i = ((focused + step) % n + n) % n;
        if (!matches(i))
            continue;
        if (found < 0)
            found = i;
        ++count;
    }
    if (found < 0)
        return none;

    const MnemonicControl& match = controls[found];
    if (match.kind == MnemonicControl::Kind::Label) {
        for (int i = found + 1; i < n; ++i)
            if (controls[i].tabStop && controls[i].available)
                return {MnemonicTarget::Action::Focus, i, true};
        return none;
    }
    if (match.kind == MnemonicControl::Kind::Button && count == 1)
        return {MnemonicTarget::Action::Press, found, false};
    return {MnemonicTarget::Action::Focus, found, false};
}
