// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class QObject;

/// A program to start on a host other than Windows: the file, its whole
/// argument list (the first being the name it sees for itself) and the name
/// that messages give it.
struct HostCommand
{
    QString program;
    QStringList arguments;
    QString shownName;
    /// Variables ("NAME=value") set for the program where the environment
    /// does not set them already.
    QStringList defaults = {};
};

/// Starts `command` in the current directory with this process's
/// environment, in a session of its own (so that it outlives Brenvik and a
/// Ctrl+C in Brenvik's terminal), without waiting. A thread of Brenvik's
/// waits for it to end, so that it leaves no zombie; SIGCHLD is left alone.
/// Returns "" when it was started, otherwise a message for the user.
QString startHostCommand(const HostCommand &command);

/// As above; in addition `ended` is called with the program's wait status
/// once it has ended, from the event loop, while `context` lives. Only
/// where the start is made in the event loop's thread and the host lets
/// that loop watch a process (Linux); elsewhere `ended` is never called.
QString startHostCommand(const HostCommand &command, QObject *context,
                         const std::function<void(int)> &ended);

/// How long the desktop's opener is watched: its own failure shows within
/// this time, while a viewer it started and waits for may run for hours.
inline constexpr int OpenerWatchMs = 5000;

/// Hands the file `path` to the desktop's opener ("xdg-open", found as
/// findHostProgram() finds it) without waiting for it, on a host other than
/// Windows. Returns a message for the user when the file does not exist.
/// Otherwise `noViewer` is called when nothing could be found to show the
/// file: at once when the opener is missing or cannot be started, later
/// (from the event loop, while `context` lives) when it ends with a status
/// other than 0 within `watchMs`.
QString openWithDesktopViewer(const QString &path, QObject *context,
                              const std::function<void()> &noViewer, int watchMs = OpenerWatchMs);

/// Starts a program from one command-line text on a host other than Windows,
/// detached, in the current directory, without waiting, found as
/// findHostProgram() finds it.
///
/// Two Windows commands are mapped onto the desktop: "Explorer <path>" opens
/// the path, taken as it stands in this host's notation ("\" is no
/// separator here), with the desktop's default opener, and the regional-settings
/// panel command opens the desktop's region settings where one is installed.
///
/// Returns "" when the program was started, otherwise a message for the user
/// that names what could not be found or started.
QString startHostCommandLine(const QString &commandLine, const QString &ownFolder);

/// Waits, without blocking the caller, for the child `pid` to end, so that it
/// leaves no zombie.
void reapWhenEnded(qint64 pid);

/// Windows: starts the text unchanged with CreateProcessW, the given window
/// style, never waited for. Returns "" or a message for the user.
QString startWindowsCommandLine(const QString &commandLine, int windowStyle);
