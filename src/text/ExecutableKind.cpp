// SPDX-License-Identifier: MIT
#include "ExecutableKind.h"

#include <QtGlobal>

namespace {

quint32 littleEndian(QByteArrayView bytes, qsizetype at, int size)
{
    quint32 value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = (value << 8) | quint8(bytes[at + i]);
    return value;
}

} // namespace

qint64 peHeaderOffset(QByteArrayView head)
{
    if (head.size() < 64 || head[0] != 'M' || head[1] != 'Z')
        return -1;
    return littleEndian(head, 0x3C, 4);
}

ExecutableKind classifyExecutable(QByteArrayView head, QByteArrayView peHeader)
{
    if (head.size() >= 20 && head.startsWith("\x7f" "ELF")) {
        const quint32 machine = littleEndian(head, 18, 2);
        if (head[4] == 1 && machine == 3)
            return ExecutableKind::Linux32;
        if (head[4] == 2 && machine == 62)
            return ExecutableKind::Linux64;
        return ExecutableKind::Unknown;
    }
    if (peHeaderOffset(head) < 0 || peHeader.size() < 6
        || !peHeader.startsWith(QByteArrayView("PE\0\0", 4)))
        return ExecutableKind::Unknown;
    switch (littleEndian(peHeader, 4, 2)) {
    case 0x14c: return ExecutableKind::Windows32;
    case 0x8664: return ExecutableKind::Windows64;
    default: return ExecutableKind::WindowsOther;
    }
}
