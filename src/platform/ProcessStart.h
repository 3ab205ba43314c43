#pragma once

#include <QString>

/// Starts a program from one command-line text on a host other than Windows,
/// detached, in the current directory, without waiting. The text is split by
/// the Windows argument rules and its program is searched the way Windows
/// searches a name without folder (`ownFolder`, then the current directory,
/// then PATH; letter case ignored, ".exe" optional).
///
/// Two Windows commands are mapped onto the desktop: "Explorer <path>" opens
/// the path, taken as it stands in this host's notation ("\" is no
/// separator here), with the desktop's default opener, and the regional-settings
/// panel command opens the desktop's region settings where one is installed.
///
/// Returns "" when the program was started, otherwise a message for the user
/// that names what could not be found or started.
QString startHostCommandLine(const QString &commandLine, const QString &ownFolder);

/// Windows: starts the text unchanged with CreateProcessW, the given window
/// style, never waited for. Returns "" or a message for the user.
QString startWindowsCommandLine(const QString &commandLine, int windowStyle);
