// SPDX-License-Identifier: MIT
#include "ConverterStart.h"

#include "ProgramSearch.h"
#include "WinCommandLine.h"
#include "WineStart.h"

#include <QDir>

namespace {

QString quoted(const QString &text)
{
    return u'"' + text + u'"';
}

} // namespace

FoundProgram findHostProgram(const QString &name, const QString &ownFolder)
{
    const QString folder = QDir::currentPath();
    const ProgramSearch search = searchProgram(name, ownFolder, folder, qEnvironmentVariable("PATH"));
    if (search.found.isEmpty()) {
        FoundProgram missing;
        if (!search.notRunnable.isEmpty())
            missing.error = QStringLiteral("The program %1 was found as %2, but it cannot be run: the"
                                           " file is neither executable nor a Windows program.")
                                .arg(quoted(name), quoted(search.notRunnable));
        else
            missing.error = QStringLiteral("The program %1 cannot be found beside Brenvik, in the"
                                           " current folder %2 or on the PATH.")
                                .arg(quoted(name), quoted(QDir::toNativeSeparators(folder)));
        return missing;
    }
    const ExecutableKind kind = readExecutableKind(search.found);
    if (isWindowsProgram(kind))
        return throughWine(name, search.found, kind, ownFolder);
    return {search.found, std::nullopt, {}, {}};
}

HostCommand hostCommandFor(const FoundProgram &program, const QString &commandLine)
{
    const QStringList words = splitWindowsCommandLine(commandLine);
    const QString shownName = words.value(0);
    if (!program.runner.isEmpty())
        return {program.runner.constFirst(), program.runner + QStringList{starterArgument(commandLine)},
                shownName};
    return {program.path, QStringList{program.path} + words.mid(1), shownName};
}


ConverterStart prepareConverterStart(const ConverterCommand &command, const QString &ownFolder)
{
    const FoundProgram found = findHostProgram(command.program, ownFolder);
    if (!found.error.isEmpty())
        return {{}, false, {found.error, QStringLiteral("Conversion Error")}};
    if (!found.wineDrives)
        return {hostCommandFor(found, command.line()), false, {}};

    // A Windows converter under Wine: the same line, its names in Windows form.
    for (const ConverterCommand::Piece &piece : command.pieces) {
        if (!piece.isName)
            continue;
        const WindowsNameFault fault = toWindowsName(piece.text, *found.wineDrives).fault;
        if (fault != WindowsNameFault::None)
            return {{},
                    true,
                    {QStringLiteral("The file name %1 cannot be handed to the Windows converter %2: "
                                    "%3. Please correct it.")
                         .arg(piece.text, command.program, windowsNameFaultText(fault)),
                     QStringLiteral("File Specification Error")}};
    }
    const QString line = command.line([&found](const QString &name) {
        return toWindowsName(name, *found.wineDrives).text;
    });
    return {hostCommandFor(found, line), true, {}};
}
