// SPDX-License-Identifier: MIT
#pragma once

#include "ExecutableKind.h"

#include <QString>

/// What a search for a program found.
struct ProgramSearch
{
    QString found; ///< absolute path of the program, or "" when there is none
    /// The first file of that name seen that cannot be run (neither
    /// executable nor a Windows program), "" when none; for the message.
    QString notRunnable;
};

/// Finds the program a Windows command line names, on this host.
///
/// A name without folder is looked up the way Windows looks it up: in
/// `ownFolder` (the folder of the starting program), then in `currentDir`,
/// then in each entry of `pathVariable` (the host's PATH list). The name
/// with its ".exe" ending is looked for in all these places first, and only
/// when it is nowhere, the name without it ("ZARVO.EXE" finds "zarvo" only
/// when no "zarvo.exe" lies in any of them); a name without the ending gets
/// it for the first round. Letter case is ignored, an exact spelling winning
/// within a folder. A regular file counts when it may be executed or is a
/// Windows program (whose execute bit does not matter); others are skipped.
/// A name with a folder part ("/" or "\", the latter read as "/") is taken
/// as given, relative to `currentDir`.
ProgramSearch searchProgram(const QString &name, const QString &ownFolder,
                            const QString &currentDir, const QString &pathVariable);

/// searchProgram()'s result alone: the program's absolute path, or "".
QString findProgram(const QString &name, const QString &ownFolder, const QString &currentDir,
                    const QString &pathVariable);

/// The first program `name` on PATH, exactly so spelt, that may be executed;
/// "" when there is none. For the desktop's own tools (Wine, the opener, the
/// region settings), which are never looked for in the working folder, where
/// a user's file of that name would be run in their place.
QString findOnPath(const QString &name);

/// Reads the start of the file at `path` and classifies it (see
/// classifyExecutable()); Unknown when it cannot be read.
ExecutableKind readExecutableKind(const QString &path);

/// What the file at `path` is when it looks like a program that cannot run
/// here (see unrunnableKindText()); "" otherwise.
QString readUnrunnableKind(const QString &path);
