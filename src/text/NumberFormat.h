// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringView>

/// Decimal and grouping symbols of the user's regional settings.
struct NumberSymbols
{
    QString decimal = QStringLiteral(".");
    QString grouping = QStringLiteral(",");
};

/// Formats `value` with a display pattern such as "+##0.0;-##0.0".
///
/// "0" is a digit place always written, "#" a digit place written only when
/// significant, "." the decimal symbol (always written), "," in the integer
/// part switches on digit grouping, ";" separates the pattern for values that
/// are not negative from the one for negative values (written by their
/// absolute value). Any other character is copied. A negative value under a
/// pattern without ";" gets "-" before the formatted absolute value.
///
/// Rounding is decimal: the value is first taken to 15 significant digits,
/// then rounded to the digits shown, halves away from zero (2.675 with "0.00"
/// gives "2.68"). Integer digits beyond the pattern's places are all written.
/// Non-finite values are written as "inf", "-inf" or "nan".
QString formatNumber(double value, QStringView pattern, const NumberSymbols &symbols);

/// The leading number of a text, as far as it goes.
struct NumberScan
{
    double value = 0.0;
    bool found = false;      ///< a digit was seen before the number ended
    bool outOfRange = false; ///< too large for a double (value saturated)
    qsizetype length = 0;    ///< characters taken, skipped blanks included
};

/// Reads the leading number of `text`: blanks, tabs and line feeds are
/// skipped wherever they occur, then an optional sign, digits with an
/// optional "." and fraction, and an optional exponent (E or D, an optional
/// sign, digits). The first other character ends the number. "." is the
/// decimal point whatever the regional settings. A number too large for a
/// double gives the largest double of its sign; one too small gives 0.
NumberScan scanNumber(QStringView text);

/// The leading number of `text`, or 0 when there is none ("7.5 Hz" gives
/// 7.5, "1 2" gives 12, "abc" gives 0).
inline double readNumber(QStringView text)
{
    return scanNumber(text).value;
}
