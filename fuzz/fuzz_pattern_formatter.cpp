// SPDX-License-Identifier: MIT
// Formats any value with any pattern and regional symbols. The input is
// three lines: the value (C notation, so "nan", "-inf", "0x1p-1074" and
// "1e308" all come through), then the decimal symbol as its first character
// and the grouping symbol as the rest, then the pattern.
#include "FuzzCheck.h"
#include "NumberFormat.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    const QList<QByteArray> lines = input.split('\n');

    const std::string valueText = lines.value(0).toStdString();
    const double value = std::strtod(valueText.c_str(), nullptr);

    NumberSymbols symbols;
    if (lines.size() > 1) {
        const QString s = QString::fromUtf8(lines[1]);
        symbols.decimal = s.left(1);
        symbols.grouping = s.mid(1);
    }
    // The rest of the input, line feeds included, is the pattern.
    const qsizetype skip = lines.value(0).size() + 1 + (lines.size() > 1 ? lines[1].size() + 1 : 0);
    const QString pattern = QString::fromUtf8(input.mid(skip));

    const QString text = formatNumber(value, pattern, symbols);
    // Never more than one character per pattern character, symbol and digit:
    // a bound that catches runaway output such as an unterminated digit loop.
    FUZZ_CHECK(text.size() <= 1 + pattern.size() * (1 + symbols.decimal.size() + symbols.grouping.size())
                                  + 400 * (1 + symbols.grouping.size()));

    // The same pattern cut down to its digit places and its first ".": with
    // "." as the decimal symbol the text reads back to the value, off by no
    // more than the rounding to 15 significant digits and to the places shown.
    if (!std::isfinite(value))
        return 0;
    QString places;
    int fracPlaces = 0;
    bool dot = false;
    for (QChar c : pattern) {
        if (c == u'0' || c == u'#') {
            places += c;
            fracPlaces += dot;
        } else if (c == u'.' && !dot) {
            places += c;
            dot = true;
        }
    }
    const QString plain = formatNumber(value, places, NumberSymbols{QStringLiteral("."), QString()});
    const double back = readNumber(plain);
    const double tolerance = 0.5 * std::pow(10.0, -fracPlaces) + 1e-14 * std::fabs(value)
                             + std::numeric_limits<double>::denorm_min();
    if (!(std::fabs(back - value) <= tolerance))
        std::fprintf(stderr, "%.17g with \"%s\" gives \"%s\"\n", value, qPrintable(places),
                     qPrintable(plain));
    FUZZ_CHECK(std::fabs(back - value) <= tolerance);
    return 0;
}
