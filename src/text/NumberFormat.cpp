// SPDX-License-Identifier: MIT
#include "NumberFormat.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace {

bool isPlace(QChar c)
{
    return c == u'0' || c == u'#';
}

// Adds one unit in the last place of `digits`, carrying; "999" becomes
// "1000" with the point one place further right.
void roundUp(std::string &digits, int &pointPos)
{
    int i = int(digits.size()) - 1;
    while (i >= 0 && digits[i] == '9')
        digits[i--] = '0';
    if (i >= 0) {
        ++digits[i];
    } else {
        digits.insert(digits.begin(), '1');
        ++pointPos;
    }
}

// The decimal digits of |value| at 15 significant digits, a half rounded
// away from zero: digits plus the number of them that stand before the
// decimal point (may be <= 0).
struct Decimal
{
    std::string digits;
    int pointPos = 1;
};

Decimal toDecimal(double magnitude)
{
    Decimal d;
    if (magnitude == 0.0) {
        d.digits = "0";
        return d;
    }
    // The exact expansion (a double has at most 767 significant digits):
    // a shorter precision would round an exact half to even.
    char buf[800];
    const auto res =
        std::to_chars(buf, buf + sizeof buf, magnitude, std::chars_format::scientific, 766);
    const std::string text(buf, res.ptr); // "d.ddd...de+XX"
    const auto e = text.find('e');
    d.pointPos = std::stoi(text.substr(e + 1)) + 1;
    d.digits = text.substr(0, 1) + text.substr(2, 14);
    if (text[16] >= '5')
        roundUp(d.digits, d.pointPos);
    return d;
}

// Rounds to `fracDigits` places after the point, halves away from zero.
// Returns the integer digits (no leading zeros) and exactly fracDigits
// fraction digits.
void roundDecimal(const Decimal &d, int fracDigits, std::string &intDigits, std::string &frac)
{
    std::string digits = d.digits;
    int pointPos = d.pointPos;
    const int keep = pointPos + fracDigits;
    if (keep < 0) {
        digits = "0";
        pointPos = 1;
    } else if (keep < int(digits.size())) {
        const bool up = digits[keep] >= '5';
        digits.resize(keep);
        if (up)
            roundUp(digits, pointPos);
    }
    // Place the digits around the point.
    if (pointPos > 0) {
        std::string all = digits;
        if (int(all.size()) < pointPos)
            all.append(pointPos - all.size(), '0');
        intDigits = all.substr(0, pointPos);
        frac = all.substr(pointPos);
    } else {
        intDigits.clear();
        frac = std::string(-pointPos, '0') + digits;
    }
    frac.resize(fracDigits, '0');
    const auto nz = intDigits.find_first_not_of('0');
    intDigits = nz == std::string::npos ? std::string() : intDigits.substr(nz);
}

} // namespace

QString formatNumber(double value, QStringView pattern, const NumberSymbols &symbols)
{
    if (!std::isfinite(value))
        return std::isnan(value) ? QStringLiteral("nan")
               : value < 0       ? QStringLiteral("-inf")
                                 : QStringLiteral("inf");

    QStringView section = pattern;
    QString prefix;
    const qsizetype semi = pattern.indexOf(u';');
    if (semi >= 0)
        section = pattern.left(semi);
    if (value < 0) {
        QStringView negative;
        if (semi >= 0) {
            negative = pattern.mid(semi + 1);
            const qsizetype next = negative.indexOf(u';');
            if (next >= 0)
                negative = negative.left(next);
        }
        if (negative.isEmpty())
            prefix = QStringLiteral("-");
        else
            section = negative;
    }

    const qsizetype dot = section.indexOf(u'.');
    const QStringView intPart = dot >= 0 ? section.left(dot) : section;
    const QStringView fracPart = dot >= 0 ? section.mid(dot + 1) : QStringView();

    int intPlaces = 0, firstZero = -1;
    bool grouping = false;
    for (QChar c : intPart) {
        if (isPlace(c)) {
            if (c == u'0' && firstZero < 0)
                firstZero = intPlaces;
            ++intPlaces;
        } else if (c == u',' && intPlaces > 0) {
            grouping = true;
        }
    }
    int fracPlaces = 0, minFrac = 0;
    for (QChar c : fracPart) {
        if (isPlace(c)) {
            ++fracPlaces;
            if (c == u'0')
                minFrac = fracPlaces;
        }
    }

    std::string intDigits, frac;
    roundDecimal(toDecimal(std::fabs(value)), fracPlaces, intDigits, frac);
    while (int(frac.size()) > minFrac && frac.back() == '0')
        frac.pop_back();
    const int minInt = firstZero < 0 ? 0 : intPlaces - firstZero;
    if (int(intDigits.size()) < minInt)
        intDigits.insert(0, minInt - intDigits.size(), '0');

    QString out = prefix;
    const int total = int(intDigits.size());
    int emitted = 0;
    auto emitDigit = [&](char digit) {
        const int left = total - emitted; // digits still to come, this one included
        if (grouping && emitted > 0 && left % 3 == 0)
            out += symbols.grouping;
        out += QChar(digit);
        ++emitted;
    };
    const int extra = total - intPlaces; // digits with no place of their own
    int place = 0;
    for (QChar c : intPart) {
        if (isPlace(c)) {
            if (place == 0)
                for (int i = 0; i < extra; ++i)
                    emitDigit(intDigits[i]);
            const int index = place + extra;
            if (index >= 0)
                emitDigit(intDigits[index]);
            ++place;
        } else if (c == u',') {
            if (!grouping)
                out += symbols.grouping;
        } else {
            out += c;
        }
    }
    if (intPlaces == 0)
        for (char digit : intDigits)
            emitDigit(digit);
    if (dot >= 0)
        out += symbols.decimal;
    int fracPlace = 0;
    for (QChar c : fracPart) {
        if (isPlace(c)) {
            if (fracPlace < int(frac.size()))
                out += QChar(frac[fracPlace]);
            ++fracPlace;
        } else if (c == u',') {
            out += symbols.grouping;
        } else {
            out += c;
        }
    }
    return out;
}

NumberScan scanNumber(QStringView text)
{
    NumberScan scan;
    std::string number;
    qsizetype i = 0;
    const qsizetype n = text.size();
    auto skipBlanks = [&] {
        while (i < n && (text[i] == u' ' || text[i] == u'\t' || text[i] == u'\n'))
            ++i;
    };
    auto isDigit = [&](qsizetype at) { return at < n && text[at] >= u'0' && text[at] <= u'9'; };

    skipBlanks();
    if (i < n && (text[i] == u'+' || text[i] == u'-')) {
        if (text[i] == u'-')
            number += '-';
        ++i;
    }
    bool seenDot = false;
    int significantAt = 0; // 1-based index of the first non-zero digit in its part
    bool significantInFraction = false;
    bool haveSignificant = false;
    int intCount = 0, fracCount = 0;
    for (;;) {
        skipBlanks();
        if (isDigit(i)) {
            const char digit = char(text[i].unicode());
            number += digit;
            seenDot ? ++fracCount : ++intCount;
            if (!haveSignificant && digit != '0') {
                haveSignificant = true;
                significantInFraction = seenDot;
                significantAt = seenDot ? fracCount : intCount;
            }
            scan.found = true;
            ++i;
            scan.length = i;
        } else if (!seenDot && i < n && text[i] == u'.') {
            seenDot = true;
            number += '.';
            ++i;
            if (scan.found)
                scan.length = i;
        } else {
            break;
        }
    }
    if (!scan.found)
        return NumberScan{};

    // Exponent: only when digits follow the letter (and its sign).
    qsizetype save = i;
    if (i < n && (text[i] == u'E' || text[i] == u'e' || text[i] == u'D' || text[i] == u'd')) {
        ++i;
        skipBlanks();
        std::string exponent = "e";
        if (i < n && (text[i] == u'+' || text[i] == u'-')) {
            exponent += char(text[i].unicode());
            ++i;
        }
        skipBlanks();
        if (isDigit(i)) {
            while (true) {
                skipBlanks();
                if (!isDigit(i))
                    break;
                exponent += char(text[i].unicode());
                ++i;
                scan.length = i;
            }
            number += exponent;
        } else {
            i = save;
        }
    }

    double value = 0.0;
    const char *first = number.data();
    const char *last = number.data() + number.size();
    const bool negative = *first == '-';
    const auto res = std::from_chars(first, last, value);
    if (res.ec == std::errc::result_out_of_range) {
        // Tell overflow from underflow by the decimal magnitude.
        long long exp10 = 0;
        const auto e = number.find('e');
        if (e != std::string::npos) {
            const std::string exponent = number.substr(e + 1);
            const bool expNegative = !exponent.empty() && exponent[0] == '-';
            for (char c : exponent)
                if (c >= '0' && c <= '9' && exp10 < 1'000'000'000)
                    exp10 = exp10 * 10 + (c - '0');
            if (expNegative)
                exp10 = -exp10;
        }
        // Digits of the mantissa before the point, counted from its first
        // significant one (negative for a pure fraction like 0.001).
        const long long magnitude =
            significantInFraction ? -(significantAt - 1) : intCount - significantAt + 1;
        const bool overflow = haveSignificant && magnitude + exp10 > 0;
        if (overflow) {
            value = std::numeric_limits<double>::max();
            scan.outOfRange = true;
        } else {
            value = 0.0;
        }
        if (negative)
            value = -value;
    }
    scan.value = value;
    return scan;
}
