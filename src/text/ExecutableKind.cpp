// SPDX-License-Identifier: MIT
#include "ExecutableKind.h"

#include <QByteArray>
#include <QtGlobal>

namespace {

quint32 littleEndian(QByteArrayView bytes, qsizetype at, int size)
{
    quint32 value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = (value << 8) | quint8(bytes[at + i]);
    return value;
}

// A little-endian field that lies wholly inside `bytes`; 0 otherwise.
quint32 field(QByteArrayView bytes, qint64 at, int size)
{
    if (at < 0 || at + size > bytes.size())
        return 0;
    return littleEndian(bytes, at, size);
}

// Where the bytes at the relative virtual address `rva` lie in the file; -1
// where no section holds them.
qint64 fileOffset(QByteArrayView file, qint64 sections, int count, quint32 rva)
{
    for (int i = 0; i < count; ++i) {
        const qint64 header = sections + 40 * i;
        const quint32 address = field(file, header + 12, 4);
        const quint32 size = qMax(field(file, header + 8, 4), field(file, header + 16, 4));
        if (rva >= address && rva - address < size)
            return qint64(field(file, header + 20, 4)) + (rva - address);
    }
    return -1;
}

// The entry `id` of the resource directory at `directory` (an offset into
// the file): the offset of what it leads to within the resources, with the
// high bit set for a subdirectory; 0 when there is none. `id` < 0: the first
// entry.
quint32 resourceEntry(QByteArrayView file, qint64 directory, qint64 id)
{
    const int named = int(field(file, directory + 12, 2));
    const int numbered = int(field(file, directory + 14, 2));
    for (int i = 0; i < named + numbered; ++i) {
        const qint64 entry = directory + 16 + 8 * i;
        if (id < 0 || (i >= named && field(file, entry, 4) == quint32(id)))
            return field(file, entry + 4, 4);
    }
    return 0;
}

bool declaresUtf8(QByteArrayView manifest)
{
    const QByteArray text = manifest.toByteArray();
    const qsizetype element = text.indexOf("activeCodePage");
    const qsizetype open = text.indexOf('>', element);
    const qsizetype close = text.indexOf('<', open);
    if (element < 0 || open < 0 || close < 0)
        return false;
    return text.mid(open + 1, close - open - 1).trimmed().toUpper() == "UTF-8";
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
    if (head.size() >= 20
        && head.startsWith("\x7f"
                           "ELF")) {
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

QString unrunnableKindText(QByteArrayView head, QByteArrayView peHeader)
{
    if (classifyExecutable(head, peHeader) != ExecutableKind::Unknown)
        return {};
    if (head.size() >= 20
        && head.startsWith("\x7f"
                           "ELF"))
        return QStringLiteral("a Linux program for another kind of processor than this computer's");
    if (peHeaderOffset(head) < 0)
        return {};
    if (peHeader.size() < 6)
        return QStringLiteral("a Windows program whose file is cut short or damaged");
    if (!peHeader.startsWith(QByteArrayView("PE\0\0", 4)))
        return QStringLiteral("a DOS or 16-bit Windows program, which neither Linux nor Wine runs"
                              " here");
    return {};
}

WindowsProgramFacts readWindowsProgramFacts(QByteArrayView file)
{
    WindowsProgramFacts facts;
    const qint64 pe = peHeaderOffset(file);
    if (pe < 0 || !file.sliced(qMin(pe, file.size())).startsWith(QByteArrayView("PE\0\0", 4)))
        return facts;
    const qint64 optional = pe + 24;
    const quint32 magic = field(file, optional, 2);
    const bool plus = magic == 0x20b;
    if (magic != 0x10b && !plus)
        return facts;
    facts.gui = field(file, optional + 68, 2) == 2;
    // The resources: data directory 2.
    if (field(file, optional + (plus ? 108 : 92), 4) < 3)
        return facts;
    const quint32 resourceRva = field(file, optional + (plus ? 112 : 96) + 16, 4);
    const qint64 sections = optional + field(file, pe + 20, 2);
    const int count = int(field(file, pe + 6, 2));
    const qint64 root = resourceRva ? fileOffset(file, sections, count, resourceRva) : -1;
    if (root < 0)
        return facts;
    // Type 24 (manifest), id 1 (a program's own), its first language.
    const quint32 type = resourceEntry(file, root, 24);
    const quint32 name =
        type & 0x80000000u ? resourceEntry(file, root + (type & 0x7FFFFFFFu), 1) : 0;
    const quint32 language =
        name & 0x80000000u ? resourceEntry(file, root + (name & 0x7FFFFFFFu), -1) : 0;
    if (language == 0 || language & 0x80000000u)
        return facts;
    const qint64 data = fileOffset(file, sections, count, field(file, root + language, 4));
    const quint32 size = field(file, root + language + 4, 4);
    if (data >= 0 && data + qint64(size) <= file.size())
        facts.utf8CodePage = declaresUtf8(file.sliced(data, size));
    return facts;
}
