// SPDX-License-Identifier: MIT
#pragma once

#include <QColor>
#include <QFont>
#include <QRect>
#include <QStringList>

/// Design geometry is in twips; 15 twips make a pixel at 96 dpi, and Qt's
/// high-DPI scaling takes care of other resolutions.
constexpr int twips(int value)
{
    return value >= 0 ? (value + 7) / 15 : -((-value + 7) / 15);
}

/// A rectangle given in twips. Its edges are rounded, not its size, so
/// neighbours that touch in a layout table touch on the screen.
inline QRect twipsRect(int left, int top, int width, int height)
{
    return QRect(twips(left), twips(top), twips(left + width) - twips(left),
                 twips(top + height) - twips(top));
}

/// The layout tables name bitmap fonts ("MS Sans Serif", "Small Fonts")
/// that few hosts have; an equivalent sans-serif at the same point size
/// stands in for them.
inline QFont designFont(qreal pointSize, bool bold = false,
                        const QString &family = QStringLiteral("MS Sans Serif"))
{
    QFont font;
    // Arial's metrics (or its metric twin Liberation Sans) come closest to
    // the widths the layouts were drawn for; wider faces would clip the
    // captions.
    font.setFamilies({family, QStringLiteral("Microsoft Sans Serif"), QStringLiteral("Arial"),
                      QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans"),
                      QStringLiteral("sans-serif")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    return font;
}

/// The system's active-border colour, the layout tables' background of both
/// windows: the host's value where it has one, else its classic default
/// RGB(192, 192, 192).
QColor activeBorderColor();
