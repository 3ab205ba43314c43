// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArrayView>
#include <QList>
#include <QString>

/// A drive of a Wine prefix: its letter and the host folder it leads to
/// (an absolute POSIX path), as the prefix's "dosdevices" links give them.
struct WineDrive
{
    QChar letter;
    QString target;

    bool operator==(const WineDrive &) const = default;
};

/// The drives of a prefix that Wine has not created yet: "z:" leads to "/".
QList<WineDrive> defaultWineDrives();

/// Why a host file name cannot be written as a Windows name.
enum class WindowsNameFault {
    None,
    Backslash,           ///< "\" is a file-name character here, a separator there
    ForbiddenCharacter,  ///< one of : * ? < > | or a control character
    NoDrive,             ///< an absolute name that no drive leads to
};

/// A host file name in the form a Windows program under Wine expects.
struct WindowsName
{
    QString text;  ///< "" when `fault` is not None
    WindowsNameFault fault = WindowsNameFault::None;
};

/// Writes the POSIX file name `hostName` as a Windows program running under
/// Wine must be given it.
///
/// An absolute name goes on the drive whose target is the longest leading
/// run of whole path components of the name ("/home/ana" leads to
/// "/home/ana/x" but not to "/home/anabel"); the rest follows the drive
/// letter and ":\", its components joined with "\" ("/home/ana/hall._01"
/// with z: at "/" gives "Z:\home\ana\hall._01"). A relative name keeps its
/// text with "\" for "/". Empty components (a doubled or trailing "/") are
/// dropped, which names the same file; a drive's root is written "X:\.".
///
/// Refused, with the reason: a name holding "\" (a separator for Windows, an
/// ordinary character here), one holding : * ? < > | or a control character
/// (Windows allows none of them in names), and an absolute name that no
/// drive leads to. A double quote is not refused here: the command line's
/// own check names it.
WindowsName toWindowsName(const QString &hostName, const QList<WineDrive> &drives);

/// The reason for `fault`, as the end of a sentence naming the file ("it
/// holds a backslash ..."); "" for None.
QString windowsNameFaultText(WindowsNameFault fault);

/// What the first bytes of a file say it is, as far as starting it goes.
enum class ExecutableKind {
    Unknown,        ///< none of the below (a script, a text, too short)
    Windows32,      ///< a PE program for x86 (machine 0x14c)
    Windows64,      ///< a PE program for x86-64 (machine 0x8664)
    WindowsOther,   ///< a PE program for another processor
    Linux32,        ///< an ELF file of class 32 for x86
    Linux64,        ///< an ELF file of class 64 for x86-64
};

/// Where a PE header would start: the 32-bit offset at 0x3C of a file that
/// begins with "MZ" (`head` holds at least its first 64 bytes); -1 otherwise.
qint64 peHeaderOffset(QByteArrayView head);

/// Classifies a file from its first bytes `head` and, for a file that
/// begins with "MZ", the bytes `peHeader` read at peHeaderOffset() (at least
/// six: "PE\0\0" and the machine field, little-endian). An "MZ" file without
/// a PE header (a DOS program) is Unknown.
ExecutableKind classifyExecutable(QByteArrayView head, QByteArrayView peHeader = {});

/// True for the kinds that only Wine runs here.
inline bool isWindowsProgram(ExecutableKind kind)
{
    return kind == ExecutableKind::Windows32 || kind == ExecutableKind::Windows64
        || kind == ExecutableKind::WindowsOther;
}
