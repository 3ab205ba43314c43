// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

class QFile;

// The reasons below are worded to follow "The file ... was not read: " or
// "... was not saved: ".

/// Opens `fileName` for reading when it is an ordinary file (a symbolic link
/// to one counts as one), without ever blocking: the file is opened without
/// waiting and its type is checked on the opened file, so a pipe, a device
/// or a socket is refused before anything is read from it, and a file
/// replaced in between cannot slip through. A name holding a NUL character
/// is refused (the host would cut the name there and open another file).
/// Returns "" when `file` is open, otherwise what is wrong.
QString openRegularFile(QFile &file, const QString &fileName);

/// What makes `fileName` unfit to be written as an ordinary file, judged
/// before anything is opened: a NUL character in the name, or an existing
/// folder, pipe, device or socket there (symbolic links followed). "" when it
/// names an ordinary file or nothing yet.
QString regularFileNameProblem(const QString &fileName);

/// The reason given for a pipe, a device or a socket.
QString notOrdinaryFileReason();
