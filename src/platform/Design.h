#pragma once

#include <QRect>
#include <QtMath>

/// Design geometry is in twips; 15 twips make a pixel at 96 dpi, and Qt's
/// high-DPI scaling takes care of other resolutions.
constexpr int twips(int value)
{
    return value >= 0 ? (value + 7) / 15 : -((-value + 7) / 15);
}

inline QRect twipsRect(int left, int top, int width, int height)
{
    return QRect(twips(left), twips(top), twips(width), twips(height));
}

#include <QFont>
#include <QStringList>

/// The designed fonts are bitmap fonts that few hosts have; an equivalent
/// sans-serif at the same point size stands in for them.
inline QFont designFont(qreal pointSize, bool bold = false)
{
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                      QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans"),
                      QStringLiteral("sans-serif")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    return font;
}
