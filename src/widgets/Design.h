// SPDX-License-Identifier: MIT
#pragma once

#include <QColor>
#include <QFont>
#include <QPalette>
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

class QWidget;

/// The classic light face, RGB(192, 192, 192): the push buttons' face and
/// the face behind every text whose colour the layout tables fix.
inline const QColor ClassicFace(192, 192, 192);

/// The contrast ratio of two colours, from 1 (equal) to 21 (black on white),
/// by their relative luminance.
double contrastRatio(const QColor &a, const QColor &b);

/// The system's active-border colour, the layout tables' background of both
/// windows: the host's value where it has one. Elsewhere the classic face
/// while the scheme's window text stays readable on it (4.5 : 1), else the
/// scheme's own window colour, so a dark scheme darkens the whole window.
QColor activeBorderColor(const QPalette &scheme);

/// The colour of disabled text on `background`: halfway towards the
/// background from `text`, but no closer than keeps 4.5 : 1 against it, so
/// that small smoothed letters still reach 3 : 1.
QColor disabledTextColor(const QColor &text, const QColor &background);

/// Gives `window` the layout table's background and legible disabled texts for
/// the application's colour scheme, now and whenever the scheme changes.
void followScheme(QWidget *window);
