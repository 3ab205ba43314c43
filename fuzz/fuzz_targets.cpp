// SPDX-License-Identifier: MIT
// The libFuzzer targets, one a function: each build of this file runs the function
// BRENVIK_FUZZ_TARGET names on every input and stops with a report when a property
// of the code under test does not hold (libFuzzer then saves the input as a crash).
#include "BandModel.h"
#include "ChannelDetection.h"
#include "FilterFile.h"
#include "NumberFormat.h"
#include "WinCommandLine.h"

#include <QBuffer>
#include <QByteArray>
#include <QList>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <utility>

#define FUZZ_CHECK(condition)                                                                      \
    ((condition)                                                                                   \
         ? void()                                                                                  \
         : (std::fprintf(stderr, "%s:%d: property failed: %s\n", __FILE__, __LINE__, #condition),  \
            std::abort()))

// A number read is always finite, and the characters taken, read alone, give the same.
void numberReader(const QByteArray &input)
{
    const QString text = QString::fromUtf8(input);
    const NumberScan scan = scanNumber(text);
    FUZZ_CHECK(std::isfinite(scan.value) && scan.length >= 0 && scan.length <= text.size());
    FUZZ_CHECK(scan.found || (scan.value == 0.0 && scan.length == 0));
    FUZZ_CHECK(readNumber(text) == scan.value);

    const NumberScan again = scanNumber(QStringView(text).left(scan.length));
    FUZZ_CHECK(again.found == scan.found && again.length == scan.length && again.value == scan.value
               && again.outOfRange == scan.outOfRange);
}

// Any value (C notation: "nan", "0x1p-1074" come through), any decimal and grouping symbol
// (the second line's first character and the rest), any pattern (the rest). The pattern's
// digit places and first "." alone give a text that reads back to the value, off by no
// more than the rounding to 15 significant digits and to the places shown.
void patternFormatter(const QByteArray &input)
{
    const QList<QByteArray> lines = input.split('\n');
    const double value = std::strtod(lines[0].constData(), nullptr);
    const QString symbols = QString::fromUtf8(lines.value(1));
    const QString pattern = QString::fromUtf8(lines.mid(2).join('\n'));
    formatNumber(value, pattern, NumberSymbols{symbols.left(1), symbols.mid(1)});
    if (!std::isfinite(value))
        return;

    QString places = QString(pattern).remove(QRegularExpression(QStringLiteral("[^0#.]")));
    const qsizetype dot = places.indexOf(u'.');
    if (dot >= 0)
        places = places.left(dot + 1) + places.mid(dot + 1).remove(u'.');
    const int fractionPlaces = dot < 0 ? 0 : int(places.size() - dot - 1);
    const double back =
        readNumber(formatNumber(value, places, NumberSymbols{QStringLiteral("."), QString()}));
    FUZZ_CHECK(std::fabs(back - value) <= 0.5 * std::pow(10.0, -fractionPlaces)
                                              + 1e-14 * std::fabs(value)
                                              + std::numeric_limits<double>::denorm_min());
}

// Only blanks split into no parts; names cut from the text at U+0001, quoted one after the
// other as a launch writes them, come back exactly where they claim to survive quoting.
void cmdlineSplitter(const QByteArray &input)
{
    const QString text = QString::fromUtf8(input);
    FUZZ_CHECK(splitWindowsCommandLine(text).isEmpty()
               == std::all_of(text.cbegin(), text.cend(),
                              [](QChar c) { return c == u' ' || c == u'\t'; }));

    QString built = QStringLiteral("X.EXE");
    QStringList expected{built};
    for (const QString &name : text.split(QChar(1))) {
        if (survivesWindowsQuoting(name)) {
            built += QStringLiteral(" \"") + name + u'"';
            expected << name;
        }
    }
    FUZZ_CHECK(splitWindowsCommandLine(built) == expected);
}

FilterReadResult readBytes(QByteArray bytes)
{
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    return readFilterBands(buffer);
}

// A filter file that is read can be written, and reads back to the same numbers and text.
// Every gain a slider gives on the range the reading widened must be one the writer takes.
void filterFile(const QByteArray &input)
{
    const FilterReadResult read = readBytes(input);
    if (!read.ok())
        return;
    FUZZ_CHECK(checkFilterBands(read.bands).isEmpty());
    const QByteArray written = filterFileText(read.bands);
    const FilterReadResult back = readBytes(written);
    // Written with 15 significant digits, every number reads back within half a unit of its
    // 15th digit (toward zero at a limit), and what was read back is written as the same text.
    FUZZ_CHECK(back.ok());
    for (int k = 0; k < BandCount; ++k) {
        FUZZ_CHECK(std::fabs(back.bands.frequency[k] - read.bands.frequency[k])
                   <= 1e-14 * std::fabs(read.bands.frequency[k]));
        FUZZ_CHECK(std::fabs(back.bands.gain[k] - read.bands.gain[k])
                   <= 1e-14 * std::fabs(read.bands.gain[k]));
    }
    FUZZ_CHECK(filterFileText(back.bands) == written);

    // The range of every opening, the widest a user can type, and a narrow one typed by hand.
    for (const auto &[bottom, top] :
         {std::pair(-50.0f, 50.0f), std::pair(-100.0f, 100.0f), std::pair(0.0f, 0.1f)}) {
        BandModel model;
        model.rangeBottom = bottom;
        model.rangeTop = top;
        for (double gain : read.bands.gain)
            model.widenRange(gain);
        FUZZ_CHECK(std::isfinite(model.rangeBottom) && std::isfinite(model.rangeTop)
                   && model.rangeBottom < model.rangeTop);
        FilterBands shown = read.bands;
        for (double &gain : shown.gain) {
            const qint16 position = model.GainToPosition(gain);
            FUZZ_CHECK(position >= BandModel::PositionMin && position <= BandModel::PositionMax);
            gain = model.PositionToGain(position);
            FUZZ_CHECK(gain >= model.rangeBottom && gain <= model.rangeTop);
        }
        FUZZ_CHECK(checkFilterBands(shown).isEmpty());
    }
}

// A WAV or B&K time file that ends early reads as if padded with zeros; no open device, as zeros.
void channelDetection(const QByteArray &input)
{
    // Reading the closed device warns each time; the warnings are no finding.
    static const auto quiet =
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    Q_UNUSED(quiet);

    QBuffer file, padded, closed;
    file.setData(input);
    padded.setData(input + QByteArray(2048, '\0'));
    closed.setData(input);
    file.open(QIODevice::ReadOnly);
    padded.open(QIODevice::ReadOnly);
    FUZZ_CHECK(wavChannelCount(file) == wavChannelCount(padded));
    FUZZ_CHECK(bkTimeFileIsStereo(file) == bkTimeFileIsStereo(padded));
    FUZZ_CHECK(wavChannelCount(closed) == 0 && !bkTimeFileIsStereo(closed));
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    BRENVIK_FUZZ_TARGET(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    return 0;
}
