// Dialog units to pixels, the Windows way: a horizontal unit is a quarter of
// the dialog font's average character width, a vertical unit an eighth of its
// height.
#pragma once

#include <QFont>
#include <QRect>

class DialogUnits {
public:
    DialogUnits(int averageCharWidth, int charHeight) : m_baseX(averageCharWidth), m_baseY(charHeight) {}

    // The units of `font`: the average width of the 52 Latin letters, rounded
    // as Windows rounds it, and the font's line height.
    static DialogUnits forFont(const QFont& font);

    int toPixelsX(int units) const { return units * m_baseX / 4; }
    int toPixelsY(int units) const { return units * m_baseY / 8; }
    QRect toPixels(int x, int y, int cx, int cy) const
    {
        return QRect(toPixelsX(x), toPixelsY(y), toPixelsX(cx), toPixelsY(cy));
    }
    int baseX() const { return m_baseX; }
    int baseY() const { return m_baseY; }

private:
    int m_baseX;
    int m_baseY;
};
