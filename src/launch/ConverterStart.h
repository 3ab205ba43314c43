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
    QString path; ///< the file found
    /// Set when the converter is a Windows program that runs through Wine:
    /// the drives of the Wine prefix, over which the file names on its
    /// command line are written (see toWindowsName()).
    std::optional<QList<WineDrive>> wineDrives;
    /// The program and first arguments that run it (Wine and Brenvik's
    /// starter); empty for a program that runs by itself.
    QStringList runner;
    /// Not "" when it cannot be started: a message for the user naming it.
    QString error;
    /// Variables for the runner where the environment does not set them.
    QStringList runnerDefaults = {};
    /// For a Windows program: the current directory in Windows form, the
    /// ANSI code page its arguments arrive in, whence that code page comes
    /// (for messages), and whether it is a GUI program, which opens no
    /// console.
    QString windowsFolder = {};
    int codePage = 65001;
    QString codePageSource = {};
    bool gui = false;
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
    bool throughWine = false; ///< the command runs Wine with Brenvik's starter
    LaunchRefusal refusal;    ///< not null: nothing is to be started
    bool gui = false;         ///< a Windows GUI program: it needs no terminal window
};

/// Finds the converter `command` names (see findHostProgram()) and writes its
/// line for it: as built, or, for a Windows program under Wine, with every
/// name in Windows form, ".." resolved as Linux resolves it (see
/// resolveParentSteps()). Refused when the converter cannot be started, or a
/// name cannot be written for it: its folder up to ".." is missing, Windows
/// would take it for another file (see toWindowsName()), it holds letters
/// outside the converter's code page, or its full Windows form is longer
/// than 259 characters. Nothing is started here.
ConverterStart prepareConverterStart(const ConverterCommand &command, const QString &ownFolder);
