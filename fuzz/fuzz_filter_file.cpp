// Reads any bytes as a filter file. A filter that is read must be one the
// program can show and write, and writing it must give a file that reads
// back to the very same numbers.
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
    return 0;
}
