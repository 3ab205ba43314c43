// SPDX-License-Identifier: MIT
// Reads the channel fields of any bytes as a WAV file and as a B&K time file: a file that
// ends early reads as if padded with zeros, and a device that is not open as all zeros.
#include "ChannelDetection.h"
#include "FuzzCheck.h"

#include <QBuffer>
#include <QByteArray>

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const bool silenced = (silenceQtMessages(), true);
    Q_UNUSED(silenced);

    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    QBuffer file, padded, closed;
    file.setData(bytes);
    padded.setData(bytes + QByteArray(2048, '\0'));
    closed.setData(bytes);
    file.open(QIODevice::ReadOnly);
    padded.open(QIODevice::ReadOnly);
    FUZZ_CHECK(wavChannelCount(file) == wavChannelCount(padded));
    FUZZ_CHECK(bkTimeFileIsStereo(file) == bkTimeFileIsStereo(padded));
    FUZZ_CHECK(wavChannelCount(closed) == 0 && !bkTimeFileIsStereo(closed));
    return 0;
}
