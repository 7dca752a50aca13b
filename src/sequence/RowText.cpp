#include "sequence/RowText.h"

#include "sequence/CClickEntry.h"

namespace rowtext {

std::optional<std::uint32_t> leadingNumber(const QString& text)
{
    int i = 0;
    const int n = static_cast<int>(text.size());
    while (i < n && (text[i] == QLatin1Char(' ') || text[i] == QLatin1Char('\t') || text[i] == QLatin1Char('\n') ||
                     text[i] == QLatin1Char('\r') || text[i] == QLatin1Char('\v') || text[i] == QLatin1Char('\f')))
        ++i;
    bool negative = false;
    if (i < n && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-'))) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }
    if (i >= n || text[i] < QLatin1Char('0') || text[i] > QLatin1Char('9'))
        return std::nullopt;
    std::uint64_t value = 0;
    for (; i < n && text[i] >= QLatin1Char('0') && text[i] <= QLatin1Char('9'); ++i) {
        value = value * 10 + static_cast<std::uint64_t>(text[i].unicode() - '0');
        if (value > 0xFFFFFFFFull * 10) // beyond any 32-bit value: keep it there
            value = 0xFFFFFFFFull * 10;
    }
    std::uint32_t low = static_cast<std::uint32_t>(value);
    if (negative)
        low = 0u - low;
    return low;
}

QString cursorBackText(int cursorBack)
{
    return cursorBack != 0 ? QStringLiteral("Yes") : QStringLiteral("No");
}

int cursorBackFromText(const QString& text)
{
    return text.size() == 3 && text.compare(QLatin1String("yes"), Qt::CaseInsensitive) == 0 ? 1 : 0;
}

QString clickTypeText(int clickType)
{
    if (clickType >= 0 && clickType < 4)
        return QString::fromUtf8(kClickTypeTexts[clickType]);
    return QStringLiteral("No Click (%1)").arg(clickType);
}

} // namespace rowtext
