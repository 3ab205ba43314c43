// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>

// The first bytes of a Windows program for `machine` (its PE header past the
// first 64 bytes, at 0x80), and of a Linux one.
inline QByteArray pe(const char *machine)
{
    return QByteArray(0x90, '\0').replace(0, 2, "MZ").replace(0x3C, 1, "\x80").replace(0x80, 6, QByteArray("PE\0\0", 4) + machine);
}
inline QByteArray elf(char elfClass, char machine)
{
    return QByteArray(64, '\0').replace(0, 4, "\x7f" "ELF").replace(4, 1, QByteArray(1, elfClass)).replace(18, 1, QByteArray(1, machine));
}
