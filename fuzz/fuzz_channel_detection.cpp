// SPDX-License-Identifier: MIT
// Reads the channel fields of any bytes as a WAV file and as a B&K time file.
#include "ChannelDetection.h"
#include "FuzzCheck.h"

#include <QBuffer>
#include <QByteArray>

#include <cstdint>

namespace {

// The byte at `offset`, 0 where the data ends: bytes that cannot be read count as 0.
quint8 byteAt(const uint8_t *data, size_t size, size_t offset)
{
    return offset < size ? data[offset] : 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const bool silenced = (silenceQtMessages(), true);
    Q_UNUSED(silenced);

    QBuffer buffer;
    buffer.setData(reinterpret_cast<const char *>(data), qsizetype(size));
    buffer.open(QIODevice::ReadOnly);

    const int channels = wavChannelCount(buffer);
    const qint16 expected = qint16(byteAt(data, size, 22) | byteAt(data, size, 23) << 8);
    FUZZ_CHECK(channels == expected);

    const bool stereo = bkTimeFileIsStereo(buffer);
    FUZZ_CHECK(stereo == (byteAt(data, size, 1604) != 0 && byteAt(data, size, 1605) != 0));

    // A device that is not open reads as all zeros.
    QBuffer closed;
    closed.setData(reinterpret_cast<const char *>(data), qsizetype(size));
    FUZZ_CHECK(wavChannelCount(closed) == 0);
    FUZZ_CHECK(!bkTimeFileIsStereo(closed));
    return 0;
}
