// SPDX-License-Identifier: MIT
// Reads any bytes as a filter file. A filter that is read must be one the
// program can show and write, and writing it must give a file that reads
// back to the very same numbers. The window's part is followed too: reading
// widens the slider range from the range the window holds, and every gain a
// slider then gives on that range must still be one the writer accepts.
#include "BandModel.h"
#include "FilterFile.h"
#include "FuzzCheck.h"

#include <QBuffer>
#include <QByteArray>

#include <cmath>
#include <cstdint>

namespace {

FilterReadResult readBytes(const QByteArray &bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return readFilterBands(buffer);
}

// Ranges the window may hold when a filter is read: the one of every opening,
// the widest a user can type, and a narrow one typed by hand.
constexpr float StartRanges[][2] = {{-50.0f, 50.0f}, {-100.0f, 100.0f}, {0.0f, 0.1f}};

void checkWidening(const FilterBands &read)
{
    for (const auto &start : StartRanges) {
        BandModel model;
        model.rangeBottom = start[0];
        model.rangeTop = start[1];
        for (double gain : read.gain)
            model.widenRange(gain);
        FUZZ_CHECK(std::isfinite(model.rangeBottom) && std::isfinite(model.rangeTop));
        FUZZ_CHECK(model.rangeBottom < model.rangeTop);
        FilterBands shown = read;
        for (int k = 0; k < BandCount; ++k) {
            const qint16 position = model.GainToPosition(read.gain[k]);
            FUZZ_CHECK(position >= BandModel::PositionMin && position <= BandModel::PositionMax);
            shown.gain[k] = model.PositionToGain(position);
            FUZZ_CHECK(shown.gain[k] >= model.rangeBottom && shown.gain[k] <= model.rangeTop);
        }
        FUZZ_CHECK(checkFilterBands(shown).isEmpty());
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const FilterReadResult read = readBytes(bytes);
    if (!read.ok())
        return 0;

    FUZZ_CHECK(checkFilterBands(read.bands).isEmpty());
    const QByteArray written = filterFileText(read.bands);
    const FilterReadResult back = readBytes(written);
    FUZZ_CHECK(back.ok());
    for (int k = 0; k < BandCount; ++k) {
        // -0 is written without its sign and reads back as 0, which compares equal.
        FUZZ_CHECK(back.bands.frequency[k] == read.bands.frequency[k]);
        FUZZ_CHECK(back.bands.gain[k] == read.bands.gain[k]);
    }
    FUZZ_CHECK(filterFileText(back.bands) == written);
    checkWidening(read.bands);
    return 0;
}
