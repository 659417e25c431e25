#pragma once
// Dialog units: layout coordinates that scale with the dialog's font. One horizontal unit is
// a quarter of the font's average character width, one vertical unit an eighth of its height.

#include <QFont>
#include <QRect>

class DialogUnits {
public:
    explicit DialogUnits(const QFont& font);

    int X(int units) const { return (units * m_baseX + 2) / 4; }
    int Y(int units) const { return (units * m_baseY + 4) / 8; }
    QRect ToPixels(int x, int y, int width, int height) const { return {X(x), Y(y), X(width), Y(height)}; }

    int BaseX() const { return m_baseX; }
    int BaseY() const { return m_baseY; }

private:
    int m_baseX;
    int m_baseY;
};
