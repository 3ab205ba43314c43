// SPDX-License-Identifier: MIT
// Reads the leading number of any text, as the fields and the filter file
// hand it over.
#include "FuzzCheck.h"
#include "NumberFormat.h"

#include <QString>

#include <cmath>
#include <cstdint>
#include <limits>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const NumberScan scan = scanNumber(text);

    FUZZ_CHECK(scan.length >= 0 && scan.length <= text.size());
    // A number too large saturates and one too small becomes 0: never inf or nan.
    FUZZ_CHECK(std::isfinite(scan.value));
    if (!scan.found)
        FUZZ_CHECK(scan.value == 0.0 && scan.length == 0 && !scan.outOfRange);
    if (scan.outOfRange)
        FUZZ_CHECK(std::fabs(scan.value) == std::numeric_limits<double>::max());
    FUZZ_CHECK(readNumber(text) == scan.value);

    // The characters taken are the whole number: read alone, they give the same.
    const NumberScan again = scanNumber(QStringView(text).left(scan.length));
    FUZZ_CHECK(again.found == scan.found);
    FUZZ_CHECK(again.length == scan.length);
    FUZZ_CHECK(again.outOfRange == scan.outOfRange);
    FUZZ_CHECK(again.value == scan.value || (std::isnan(again.value) && std::isnan(scan.value)));
    return 0;
}
