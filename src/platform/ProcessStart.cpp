#include "ProcessStart.h"

#include "WinCommandLine.h"
#include "WindowsStart.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

namespace {

QString pathVariable()
{
    return QString::fromLocal8Bit(qgetenv("PATH"));
}

QString quoted(const QString &text)
{
    return u'"' + text + u'"';
}

// Starts `program` detached: it runs in its own session (so it never
// becomes our zombie), in `folder`, writing to our terminal.
QString startDetached(const QString &program, const QStringList &arguments,
                      const QString &folder, const QString &shownName)
{
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    process.setWorkingDirectory(folder);
    if (process.startDetached())
        return {};
    QString message = QStringLiteral("The program %1 cannot be started").arg(quoted(shownName));
    const QString reason = process.errorString();
    if (!reason.isEmpty() && reason != QLatin1String("Unknown error"))
        message += QStringLiteral(": ") + reason;
    return message + u'.';
}

// The text after the program name, as Explorer takes it: the rest of the
// line, without surrounding blanks or one pair of surrounding quotes.
QString restOfLine(const QString &commandLine)
{
    qsizetype i = 0;
    const qsizetype n = commandLine.size();
    while (i < n && (commandLine[i] == u' ' || commandLine[i] == u'\t'))
        ++i;
    bool inQuotes = false;
    for (; i < n; ++i) {
        const QChar c = commandLine[i];
        if (c == u'"')
            inQuotes = !inQuotes;
        else if (!inQuotes && (c == u' ' || c == u'\t'))
            break;
    }
    QString rest = commandLine.mid(i).trimmed();
    if (rest.size() >= 2 && rest.startsWith(u'"') && rest.endsWith(u'"'))
        rest = rest.mid(1, rest.size() - 2);
    return rest;
}

QString openWithDesktop(const QString &commandLine, const QString &folder)
{
    const QString path = restOfLine(commandLine);
    if (path.isEmpty())
        return QStringLiteral("Nothing to open: the command names no file or folder.");
    if (!QFileInfo::exists(QDir(folder).filePath(path)))
        return QStringLiteral("%1 cannot be opened: it does not exist.").arg(quoted(path));
    const QString opener = findProgram(QStringLiteral("xdg-open"), QString(), folder,
                                       pathVariable());
    if (opener.isEmpty())
        return QStringLiteral("%1 cannot be opened: the desktop's opener \"xdg-open\" is not"
                              " installed.").arg(quoted(path));
    return startDetached(opener, {path}, folder, QStringLiteral("xdg-open"));
}

QString openRegionSettings(const QString &folder)
{
    struct Panel { const char *program; const char *argument; };
    static const Panel panels[] = {
        {"gnome-control-center", "region"},
        {"systemsettings", "kcm_regionandlang"},
        {"systemsettings5", "kcm_formats"},
        {"lxqt-config-locale", nullptr},
    };
    for (const Panel &panel : panels) {
        const QString program = findProgram(QString::fromLatin1(panel.program), QString(),
                                            folder, pathVariable());
        if (program.isEmpty())
            continue;
        QStringList arguments;
        if (panel.argument)
            arguments << QString::fromLatin1(panel.argument);
        return startDetached(program, arguments, folder, QString::fromLatin1(panel.program));
    }
    return QStringLiteral(
        "No region settings of the desktop were found. Choose a locale whose decimal"
        " symbol is \".\" and whose grouping symbol is \",\" before starting Brenvik,"
        " for example with LC_NUMERIC=en_US.UTF-8 (or LANG=en_US.UTF-8), then try again.");
}

} // namespace

QString startHostCommandLine(const QString &commandLine, const QString &ownFolder)
{
    const QStringList words = splitWindowsCommandLine(commandLine);
    if (words.isEmpty() || words.constFirst().isEmpty())
        return QStringLiteral("No program can be started: the command line names none.");
    const QString folder = QDir::currentPath();
    const QString first = words.constFirst().toCaseFolded();

    if (first == QLatin1String("explorer") || first == QLatin1String("explorer.exe"))
        return openWithDesktop(commandLine, folder);
    if ((first == QLatin1String("rundll32") || first == QLatin1String("rundll32.exe"))
        && commandLine.contains(QLatin1String("intl.cpl"), Qt::CaseInsensitive))
        return openRegionSettings(folder);

    const QString program = findProgram(words.constFirst(), ownFolder, folder, pathVariable());
    if (program.isEmpty())
        return QStringLiteral("The program %1 cannot be found beside Brenvik, in the current"
                              " folder %2 or on the PATH.")
            .arg(quoted(words.constFirst()), quoted(QDir::toNativeSeparators(folder)));
    return startDetached(program, words.mid(1), folder, words.constFirst());
}

QString startWindowsCommandLine(const QString &commandLine, int windowStyle)
{
    return QString::fromStdWString(startWindowsProcess(commandLine.toStdWString(), windowStyle));
}
