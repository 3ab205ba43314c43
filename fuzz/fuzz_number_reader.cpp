// SPDX-License-Identifier: MIT
// Reads the leading number of any text, as the fields and the filter file hand it over:
// the result is always finite, and the characters taken, read alone, give the same.
#include "FuzzCheck.h"
#include "NumberFormat.h"

#include <QString>

#include <cmath>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const NumberScan scan = scanNumber(text);
    FUZZ_CHECK(std::isfinite(scan.value) && scan.length >= 0 && scan.length <= text.size());
    FUZZ_CHECK(scan.found || (scan.value == 0.0 && scan.length == 0));
    FUZZ_CHECK(readNumber(text) == scan.value);

    const NumberScan again = scanNumber(QStringView(text).left(scan.length));
    FUZZ_CHECK(again.found == scan.found && again.length == scan.length && again.value == scan.value
               && again.outOfRange == scan.outOfRange);
    return 0;
}
