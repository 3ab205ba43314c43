// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArrayView>
#include <QString>

/// What the first bytes of a file say it is, as far as starting it goes.
enum class ExecutableKind {
    Unknown,      ///< none of the below (a script, a text, too short)
    Windows32,    ///< a PE program for x86 (machine 0x14c)
    Windows64,    ///< a PE program for x86-64 (machine 0x8664)
    WindowsOther, ///< a PE program for another processor
    Linux32,      ///< an ELF file of class 32 for x86
    Linux64,      ///< an ELF file of class 64 for x86-64
};

/// Where a PE header would start: the 32-bit offset at 0x3C of a file that
/// begins with "MZ" (`head` holds at least its first 64 bytes); -1 otherwise.
qint64 peHeaderOffset(QByteArrayView head);

/// Classifies a file from its first bytes `head` and, for a file that
/// begins with "MZ", the bytes `peHeader` read at peHeaderOffset() (at least
/// six: "PE\0\0" and the machine field, little-endian). An "MZ" file without
/// a PE header (a DOS program) is Unknown.
ExecutableKind classifyExecutable(QByteArrayView head, QByteArrayView peHeader = {});

/// For a file of kind Unknown that looks like a program but that neither
/// Linux nor Wine can run here, what it is, to end "it is ..." ("a DOS or
/// 16-bit Windows program, ..."); "" for any other file (a script, a program
/// of a known kind). `head` and `peHeader` as for classifyExecutable().
QString unrunnableKindText(QByteArrayView head, QByteArrayView peHeader);

/// True for the kinds that only Wine runs here.
inline bool isWindowsProgram(ExecutableKind kind)
{
    return kind == ExecutableKind::Windows32 || kind == ExecutableKind::Windows64
           || kind == ExecutableKind::WindowsOther;
}

/// What a Windows program's file says of how it runs, as far as starting it
/// through Wine goes.
struct WindowsProgramFacts
{
    bool gui = false;          ///< built for the GUI subsystem: it opens no console
    bool utf8CodePage = false; ///< its manifest makes UTF-8 its ANSI code page
};

/// Reads the facts from the whole file `file` of a PE program: the subsystem
/// of its optional header, and its manifest (resource type 24, id 1), which
/// declares UTF-8 with an activeCodePage element holding "UTF-8". Whatever
/// cannot be read stays false.
WindowsProgramFacts readWindowsProgramFacts(QByteArrayView file);
