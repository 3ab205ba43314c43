// SPDX-License-Identifier: MIT
#include "ChannelDetection.h"

#include "RegularFile.h"

#include <QFile>

namespace {

// Reads only the bytes asked for: a huge file costs no more than a small one.
QByteArray bytesAt(QIODevice &device, qint64 offset, int count)
{
    QByteArray bytes(count, '\0');
    if (device.isReadable() && device.seek(offset) && device.read(bytes.data(), count) < 0)
        bytes.fill('\0');
    return bytes;
}

} // namespace

int wavChannelCount(QIODevice &device)
{
    const QByteArray b = bytesAt(device, 22, 2);
    return qint16(quint16(quint8(b[0])) | quint16(quint8(b[1])) << 8);
}

bool bkTimeFileIsStereo(QIODevice &device)
{
    const QByteArray b = bytesAt(device, 1604, 2);
    return b[0] != '\0' && b[1] != '\0';
}

int wavChannelCount(const QString &fileName)
{
    QFile file;
    if (!openRegularFile(file, fileName).isEmpty())
        return 0;
    return wavChannelCount(file);
}

bool bkTimeFileIsStereo(const QString &fileName)
{
    QFile file;
    if (!openRegularFile(file, fileName).isEmpty())
        return false;
    return bkTimeFileIsStereo(file);
}
