// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>

// The first bytes of a Windows program for `machine`: its PE header past the first 64 bytes, at
// 0x80.
inline QByteArray pe(const char *machine)
{
    return QByteArray(0x90, '\0')
        .replace(0, 2, "MZ")
        .replace(0x3C, 1, "\x80")
        .replace(0x80, 6, QByteArray("PE\0\0", 4) + machine);
}

// A whole Windows program's file for `machine` ("\x4c\x01" or "\x64\x86") of subsystem `subsystem`
// (2 GUI, 3 console), with `manifest` as resource type 24, id `manifestId` (none when empty), in
// its one section.
inline QByteArray peProgram(const char *machine, int subsystem, const QByteArray &manifest = {},
                            int manifestId = 1)
{
    QByteArray file = pe(machine).leftJustified(0xA00, '\0');
    const auto put = [&file](int at, quint32 value, int size) {
        for (int i = 0; i < size; ++i)
            file[at + i] = char((value >> (8 * i)) & 0xFF);
    };
    const bool plus = machine[0] == '\x64';
    const int optional = 0x98, sections = optional + (plus ? 0xF0 : 0xE0);
    put(0x86, 1, 2);
    put(0x94, plus ? 0xF0 : 0xE0, 2);
    put(optional, plus ? 0x20b : 0x10b, 2);
    put(optional + 68, quint32(subsystem), 2);
    put(optional + (plus ? 108 : 92), 16, 4);
    put(optional + (plus ? 112 : 96) + 16, 0x1000, 4);
    put(optional + (plus ? 112 : 96) + 20, 0x800, 4);
    put(sections + 8, 0x800, 4);
    put(sections + 12, 0x1000, 4);
    put(sections + 16, 0x800, 4);
    put(sections + 20, 0x200, 4);
    if (manifest.isEmpty())
        return file;
    // Type, id and language directories, each with one numbered entry, then the data entry.
    const quint32 ids[] = {24, quint32(manifestId), 0x409};
    for (int level = 0; level < 3; ++level) {
        put(0x200 + 0x18 * level + 14, 1, 2);
        put(0x200 + 0x18 * level + 16, ids[level], 4);
        put(0x200 + 0x18 * level + 20, (level < 2 ? 0x80000000u : 0) | quint32(0x18 * (level + 1)),
            4);
    }
    put(0x200 + 0x48, 0x1058, 4);
    put(0x200 + 0x4C, quint32(manifest.size()), 4);
    return file.replace(0x258, manifest.size(), manifest);
}
