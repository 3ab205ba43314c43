// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>

// The first bytes of a Windows program for `machine`: its PE header past the first 64 bytes, at 0x80.
inline QByteArray pe(const char *machine)
{
    return QByteArray(0x90, '\0').replace(0, 2, "MZ").replace(0x3C, 1, "\x80").replace(0x80, 6, QByteArray("PE\0\0", 4) + machine);
}
