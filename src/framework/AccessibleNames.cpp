#include "framework/AccessibleNames.h"

#include <cstring>

namespace {

bool isTextLabel(const ControlTemplate& c)
{
    return c.cls == ControlClass::Static && (c.style & 0x1F) != SS_ICON && c.text[0] != '\0';
}

bool isGroupBox(const ControlTemplate& c)
{
    return c.cls == ControlClass::Button && (c.style & BS_TYPEMASK) == BS_GROUPBOX;
}

bool hasOwnText(const ControlTemplate& c)
{
    return c.cls == ControlClass::Button || c.cls == ControlClass::Static;
}

bool sameRow(const ControlTemplate& a, const ControlTemplate& b)
{
    return a.y < b.y + b.cy && b.y < a.y + a.cy;
}

// The label that describes controls[i]: the label or group box just before
// it, else the nearest label on its row.
const ControlTemplate* describingLabel(const std::vector<ControlTemplate>& controls, size_t i)
{
    if (i > 0 && (isTextLabel(controls[i - 1]) || isGroupBox(controls[i - 1])))
        return &controls[i - 1];
    const ControlTemplate& field = controls[i];
    const ControlTemplate* best = nullptr;
    const auto gap = [&field](const ControlTemplate& c) {
        return c.x + c.cx <= field.x ? field.x - (c.x + c.cx) : c.x - (field.x + field.cx);
    };
    for (const ControlTemplate& c : controls)
        if (isTextLabel(c) && sameRow(c, field) && (!best || gap(c) < gap(*best)))
            best = &c;
    return best;
}

} // namespace

QString spokenLabel(const QString& labelText)
{
    QString out;
    for (int i = 0; i < labelText.size(); ++i) {
        // "&X" reads "X", "&&" reads "&".
        if (labelText.at(i) == QLatin1Char('&') && ++i == labelText.size())
            break;
        out += labelText.at(i);
    }
    out = out.trimmed();
    if (out.endsWith(QLatin1Char(':')))
        out.chop(1);
    return out.trimmed();
}

std::vector<AccessibleText> accessibleTexts(const DialogTemplate& t)
{
    const std::vector<ControlTemplate>& controls = t.controls;
    std::vector<AccessibleText> texts(controls.size());
    for (size_t i = 0; i < controls.size(); ++i)
        if (!hasOwnText(controls[i]))
            if (const ControlTemplate* label = describingLabel(controls, i))
                texts[i].name = spokenLabel(QString::fromUtf8(label->text));

    for (size_t i = 0; i < controls.size(); ++i) {
        const ControlTemplate& button = controls[i];
        if (button.cls != ControlClass::Button || isGroupBox(button))
            continue;
        bool shared = false;
        for (size_t j = 0; j < controls.size(); ++j)
            shared = shared || (j != i && controls[j].cls == ControlClass::Button &&
                                std::strcmp(controls[j].text, button.text) == 0);
        if (!shared)
            continue;
        for (size_t j = 0; j < controls.size(); ++j) {
            if (hasOwnText(controls[j]) || texts[j].name.isEmpty() || !sameRow(controls[j], button))
                continue;
            texts[i].description = controls[j].cls == ControlClass::HotKey
                                       ? QStringLiteral("%1 hot key").arg(texts[j].name)
                                       : texts[j].name;
            break;
        }
    }
    return texts;
}
