// SPDX-License-Identifier: MIT
#pragma once

#include "ConverterCommand.h"
#include "ProcessStart.h"
#include "WindowsNames.h"

#include <QString>
#include <QStringList>

#include <optional>

/// A converter as the search found it on a host other than Windows, and
/// what starting it takes.
struct FoundProgram
{
    QString path;  ///< the file found
    /// Set when the converter is a Windows program that runs through Wine:
    /// the drives of the Wine prefix, over which the file names on its
    /// command line are written (see toWindowsName()).
    std::optional<QList<WineDrive>> wineDrives;
    /// The program and first arguments that run it (Wine and Brenvik's
    /// starter); empty for a program that runs by itself.
    QStringList runner;
    /// Not "" when it cannot be started: a message for the user naming it.
    QString error;
};

/// Looks for the program `name` of a Windows command line on a host other
/// than Windows (see searchProgram(): `ownFolder`, the current directory,
/// PATH) and says how it starts: by itself, or as a Windows program through
/// Wine (see throughWine()). Sets `error` when the program is missing or
/// cannot be run, or when Wine cannot run it.
FoundProgram findHostProgram(const QString &name, const QString &ownFolder);

/// The command that starts `commandLine` with `program`: the program and
/// the line's arguments as the Windows rules split them, or, for a Windows
/// program, the runner with the line itself, unchanged.
HostCommand hostCommandFor(const FoundProgram &program, const QString &commandLine);

/// A converter ready to start, or why it cannot be.
struct ConverterStart
{
    HostCommand command;
    bool throughWine = false;  ///< the command runs Wine with Brenvik's starter
    LaunchRefusal refusal;     ///< not null: nothing is to be started
};

/// Finds the converter `command` names (see findHostProgram()) and writes its
/// line for it: as built, or, for a Windows program under Wine, with every
/// name in Windows form. Refused when the converter cannot be started, or a
/// name cannot be written for it; nothing is started here.
ConverterStart prepareConverterStart(const ConverterCommand &command, const QString &ownFolder);
