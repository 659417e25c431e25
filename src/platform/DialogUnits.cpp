#include "DialogUnits.h"

#include <QFontMetrics>

DialogUnits::DialogUnits(const QFont& font)
{
    const QFontMetrics metrics(font);
    const int letters = metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    m_baseX = (letters / 26 + 1) / 2;
    m_baseY = metrics.height();
}
