// SPDX-License-Identifier: MIT
#include "ConverterStart.h"

#include "ProgramSearch.h"
#include "WinCommandLine.h"
#include "WineNames.h"
#include "WineStart.h"

#include <QDir>
#include <QHash>

namespace {

// The longest name a Windows program that opens files through the ANSI
// functions can open, the drive and the final zero left out.
constexpr int longestWindowsName = 259;

// How a name goes on a Windows program's line, or why it cannot (`error`:
// the end of a sentence naming the file).
struct LineName
{
    QString text, error;
};

LineName windowsNameFor(const QString &hostName, const FoundProgram &found)
{
    const std::optional<QString> resolved = resolveParentSteps(hostName, QDir::currentPath());
    if (!resolved)
        return {{},
                QStringLiteral("the folder that its \"..\" leads from does not exist, so Linux "
                               "could not open it either. Please correct it")};
    const WindowsName name = toWindowsName(*resolved, *found.wineDrives);
    if (name.fault != WindowsNameFault::None)
        return {{},
                windowsNameFaultText(name.fault, name.part)
                    + QStringLiteral(". Please correct it")};
    const QString outside = charactersOutsideCodePage(name.text, found.codePage);
    if (!outside.isEmpty())
        return {
            {},
            QStringLiteral("the converter receives its arguments in code page %1 (%2), which "
                           "does not hold %3, so it would see other letters and might open "
                           "another file. Rename the file, or start Brenvik in a locale whose "
                           "code page holds them")
                .arg(QString::number(found.codePage), found.codePageSource, doubleQuoted(outside))};
    const bool absolute = name.text.size() > 1 && name.text[1] == u':';
    // A drive's root is written "X:\." (see toWindowsName()).
    const QString folder = found.windowsFolder.endsWith(QLatin1String(":\\."))
                               ? found.windowsFolder.chopped(1)
                               : found.windowsFolder + u'\\';
    const QString full = absolute ? name.text : folder + name.text;
    if (full.size() > longestWindowsName)
        return {{},
                QStringLiteral("its Windows form %1 is %2 characters long, more than the %3 that a "
                               "Windows converter can open. Please use a shorter name or folder")
                    .arg(doubleQuoted(full), QString::number(full.size()),
                         QString::number(longestWindowsName))};
    return {name.text, {}};
}

} // namespace

FoundProgram findHostProgram(const QString &name, const QString &ownFolder)
{
    const QString folder = QDir::currentPath();
    const ProgramSearch search =
        searchProgram(name, ownFolder, folder, qEnvironmentVariable("PATH"));
    if (search.found.isEmpty()) {
        FoundProgram missing;
        if (!search.notRunnable.isEmpty())
            missing.error =
                QStringLiteral("The program %1 was found as %2, but it cannot be run: the"
                               " file is neither executable nor a Windows program.")
                    .arg(doubleQuoted(name), doubleQuoted(search.notRunnable));
        else
            missing.error =
                QStringLiteral("The program %1 cannot be found beside Brenvik, in the"
                               " current folder %2 or on the PATH.")
                    .arg(doubleQuoted(name), doubleQuoted(QDir::toNativeSeparators(folder)));
        return missing;
    }
    const ExecutableKind kind = readExecutableKind(search.found);
    if (isWindowsProgram(kind))
        return throughWine(name, search.found, kind, ownFolder);
    const QString unrunnable = readUnrunnableKind(search.found);
    if (!unrunnable.isEmpty()) {
        FoundProgram found;
        found.error =
            QStringLiteral("The program %1 was found as %2, but it cannot be run: it is %3.")
                .arg(doubleQuoted(name), doubleQuoted(search.found), unrunnable);
        return found;
    }
    return {search.found, std::nullopt, {}, {}};
}

HostCommand hostCommandFor(const FoundProgram &program, const QString &commandLine)
{
    const QStringList words = splitWindowsCommandLine(commandLine);
    const QString shownName = words.value(0);
    if (!program.runner.isEmpty())
        return {program.runner.constFirst(),
                program.runner + QStringList{starterArgument(commandLine)}, shownName,
                program.runnerDefaults};
    return {program.path, QStringList{program.path} + words.mid(1), shownName,
            program.runnerDefaults};
}

ConverterStart prepareConverterStart(const ConverterCommand &command, const QString &ownFolder)
{
    const FoundProgram found = findHostProgram(command.program, ownFolder);
    if (!found.error.isEmpty())
        return {{}, false, {found.error, QStringLiteral("Conversion Error")}};
    if (!found.wineDrives)
        return {hostCommandFor(found, command.line()), false, {}};

    // A Windows converter under Wine: the same line, its names in Windows form.
    QHash<QString, QString> written;
    for (const ConverterCommand::Piece &piece : command.pieces) {
        if (!piece.isName)
            continue;
        const LineName name = windowsNameFor(piece.text, found);
        if (!name.error.isEmpty())
            return {
                {},
                true,
                {QStringLiteral("The file name %1 cannot be handed to the Windows converter %2: "
                                "%3.")
                     .arg(piece.text, command.program, name.error),
                 QStringLiteral("File Specification Error")},
                found.gui};
        written.insert(piece.text, name.text);
    }
    const QString line =
        command.line([&written](const QString &name) { return written.value(name); });
    return {hostCommandFor(found, line), true, {}, found.gui};
}
