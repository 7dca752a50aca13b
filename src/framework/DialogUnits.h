// Dialog units to pixels, the Windows way: a horizontal unit is a quarter of
// the dialog font's average character width, a vertical unit an eighth of its
// height. The product is divided with rounding to the nearest pixel, halves
// away from zero, as Windows' MulDiv does.
#pragma once

#include <QFont>
#include <QRect>

class DialogUnits {
public:
    DialogUnits(int averageCharWidth, int charHeight) : m_baseX(averageCharWidth), m_baseY(charHeight) {}

    // The units of `font`: the average width of the 52 Latin letters, rounded
    // as Windows rounds it, and the font's line height.
    static DialogUnits forFont(const QFont& font);

    int toPixelsX(int units) const { return mulDiv(units, m_baseX, 4); }
    int toPixelsY(int units) const { return mulDiv(units, m_baseY, 8); }
    QRect toPixels(int x, int y, int cx, int cy) const
    {
        return QRect(toPixelsX(x), toPixelsY(y), toPixelsX(cx), toPixelsY(cy));
    }
    int baseX() const { return m_baseX; }
    int baseY() const { return m_baseY; }

private:
    // a · b / c rounded to the nearest integer, halves away from zero.
    static int mulDiv(int a, int b, int c)
    {
        const long long product = static_cast<long long>(a) * b;
        const long long half = c / 2;
        return static_cast<int>(product >= 0 ? (product + half) / c : (product - half) / c);
    }

    int m_baseX;
    int m_baseY;
};
