// SPDX-License-Identifier: MIT
// Formats any value with any pattern and regional symbols. The input is three lines:
// the value in C notation ("nan", "-inf", "0x1p-1074" come through), the decimal
// symbol as its first character and the grouping symbol as the rest, the pattern. The pattern cut
// down to its digit places and first "." formats a text that reads back to the value,
// off by no more than the rounding to 15 significant digits and to the places shown.
#include "FuzzCheck.h"
#include "NumberFormat.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    const QList<QByteArray> lines = input.split('\n');
    const double value = std::strtod(lines[0].constData(), nullptr);
    const QString symbols = QString::fromUtf8(lines.value(1));
    const QString pattern = QString::fromUtf8(lines.mid(2).join('\n'));
    formatNumber(value, pattern, NumberSymbols{symbols.left(1), symbols.mid(1)});
    if (!std::isfinite(value))
        return 0;

    QString places;
    int fractionPlaces = 0;
    for (const QChar c : pattern) {
        if (c == u'0' || c == u'#') {
            places += c;
            fractionPlaces += places.contains(u'.');
        } else if (c == u'.' && !places.contains(u'.')) {
            places += c;
        }
    }
    const double back = readNumber(formatNumber(value, places, NumberSymbols{QStringLiteral("."), QString()}));
    FUZZ_CHECK(std::fabs(back - value) <= 0.5 * std::pow(10.0, -fractionPlaces) + 1e-14 * std::fabs(value)
                                              + std::numeric_limits<double>::denorm_min());
    return 0;
}
