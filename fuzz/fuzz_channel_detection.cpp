// SPDX-License-Identifier: MIT
// Reads the channel fields of any bytes as a WAV file and as a B&K time file: a file
// that ends early reads as if padded with zeros, a device that is not open as zeros.
#include "ChannelDetection.h"
#include "FuzzCheck.h"

#include <QBuffer>
#include <QByteArray>

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // Reading the closed device warns each time; the warnings are no finding.
    static const auto quiet = qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    Q_UNUSED(quiet);

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
