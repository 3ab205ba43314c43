// SPDX-License-Identifier: MIT
// Reads any bytes as a filter file. A filter that is read can be written, and the
// written file reads back to the very same numbers and text. Reading widens the slider
// range from the range the window holds; every gain a slider then gives on that range
// must still be one the writer accepts.
#include "BandModel.h"
#include "FilterFile.h"
#include "FuzzCheck.h"

#include <QBuffer>
#include <QByteArray>

#include <cmath>
#include <cstdint>
#include <utility>

static FilterReadResult readBytes(const QByteArray &bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return readFilterBands(buffer);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const FilterReadResult read = readBytes(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    if (!read.ok())
        return 0;
    FUZZ_CHECK(checkFilterBands(read.bands).isEmpty());
    const QByteArray written = filterFileText(read.bands);
    const FilterReadResult back = readBytes(written);
    // -0 is written without its sign and reads back as 0, which compares equal.
    FUZZ_CHECK(back.ok() && back.bands.frequency == read.bands.frequency && back.bands.gain == read.bands.gain);
    FUZZ_CHECK(filterFileText(back.bands) == written);

    // The range of every opening, the widest a user can type, and a narrow one typed by hand.
    for (const auto &[bottom, top] : {std::pair(-50.0f, 50.0f), std::pair(-100.0f, 100.0f), std::pair(0.0f, 0.1f)}) {
        BandModel model;
        model.rangeBottom = bottom;
        model.rangeTop = top;
        for (double gain : read.bands.gain)
            model.widenRange(gain);
        FUZZ_CHECK(std::isfinite(model.rangeBottom) && std::isfinite(model.rangeTop) && model.rangeBottom < model.rangeTop);
        FilterBands shown = read.bands;
        for (double &gain : shown.gain) {
            const qint16 position = model.GainToPosition(gain);
            FUZZ_CHECK(position >= BandModel::PositionMin && position <= BandModel::PositionMax);
            gain = model.PositionToGain(position);
            FUZZ_CHECK(gain >= model.rangeBottom && gain <= model.rangeTop);
        }
        FUZZ_CHECK(checkFilterBands(shown).isEmpty());
    }
    return 0;
}
