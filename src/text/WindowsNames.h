// SPDX-License-Identifier: MIT
#pragma once

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
    Backslash,          ///< "\" is a file-name character here, a separator there
    ForbiddenCharacter, ///< one of : * ? < > | or a control character
    NoDrive,            ///< an absolute name that no drive leads to
    DeviceName,         ///< a folder or file part that Windows takes for a device ("nul.wav")
    TrailingBlankOrDot, ///< a folder or file part ending in " " or ".", which Windows drops
};

/// A host file name in the form a Windows program under Wine expects.
struct WindowsName
{
    QString text; ///< "" when `fault` is not None
    WindowsNameFault fault = WindowsNameFault::None;
    QString part = {}; ///< the folder or file part at fault (DeviceName, TrailingBlankOrDot)
};

/// True when a folder or file part `part` names a device for Windows: its
/// text before the first ".", trailing blanks removed, is CON, PRN, AUX,
/// NUL, COM1 to COM9 or LPT1 to LPT9 in any letter case ("nul .tim").
bool isWindowsDeviceName(const QString &part);

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
/// drive leads to. Refused too, since Windows programs would open another
/// file than the one named: a name any of whose parts written in the Windows
/// form is a device name (see isWindowsDeviceName()) or ends in a blank or a
/// dot ("t.tim." opens "t.tim"); the parts "." and ".." are no such parts.
/// A double quote is not refused here: the command line's own check names it.
WindowsName toWindowsName(const QString &hostName, const QList<WineDrive> &drives);

/// The reason for `fault`, as the end of a sentence naming the file ("it
/// holds a backslash ..."), with the part at fault where there is one; ""
/// for None.
QString windowsNameFaultText(WindowsNameFault fault, const QString &part = {});
