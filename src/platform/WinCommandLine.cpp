#include "WinCommandLine.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

namespace {

bool isBlank(QChar c) { return c == u' ' || c == u'\t'; }

// Letter case ignored and a trailing ".exe" dropped, so that the names a
// Windows command line uses meet the file names of this host.
QString programKey(const QString &name)
{
    QString key = name.toCaseFolded();
    if (key.endsWith(QLatin1String(".exe")) && key.size() > 4)
        key.chop(4);
    return key;
}

bool isProgramFile(const QFileInfo &info)
{
    return info.isFile() && info.isExecutable();
}

// The program in `folder` whose name matches `key`; an exact spelling wins
// over other letter cases so that the result does not depend on listing order.
QString findInFolder(const QString &folder, const QString &name, const QString &key)
{
    const QDir dir(folder);
    if (folder.isEmpty() || !dir.exists())
        return {};
    const QFileInfo exact(dir.filePath(name));
    if (isProgramFile(exact))
        return exact.absoluteFilePath();
    QStringList matches;
    QDirIterator it(dir.path(), QDir::Files | QDir::Executable | QDir::Hidden | QDir::System);
    while (it.hasNext()) {
        it.next();
        if (programKey(it.fileName()) == key && isProgramFile(it.fileInfo()))
            matches << it.fileInfo().absoluteFilePath();
    }
    if (matches.isEmpty())
        return {};
    matches.sort();
    return matches.constFirst();
}

} // namespace

QStringList splitWindowsCommandLine(QStringView commandLine)
{
    QStringList result;
    const qsizetype n = commandLine.size();
    qsizetype i = 0;
    while (i < n && isBlank(commandLine[i]))
        ++i;
    if (i == n)
        return result;

    // The program name: quotes only group, a backslash is an ordinary character.
    QString program;
    bool inQuotes = false;
    while (i < n) {
        const QChar c = commandLine[i];
        if (c == u'"') {
            inQuotes = !inQuotes;
        } else if (!inQuotes && isBlank(c)) {
            break;
        } else {
            program += c;
        }
        ++i;
    }
    result << program;

    // The arguments, by the C runtime's rules.
    inQuotes = false;
    for (;;) {
        while (i < n && isBlank(commandLine[i]))
            ++i;
        if (i == n)
            break;
        QString arg;
        for (;;) {
            qsizetype backslashes = 0;
            while (i < n && commandLine[i] == u'\\') {
                ++backslashes;
                ++i;
            }
            bool copy = true;
            if (i < n && commandLine[i] == u'"') {
                if (backslashes % 2 == 0) {
                    if (inQuotes && i + 1 < n && commandLine[i + 1] == u'"') {
                        ++i;  // "" inside quotes: one literal quote, still quoted
                    } else {
                        copy = false;
                        inQuotes = !inQuotes;
                    }
                }
                backslashes /= 2;
            }
            arg += QString(backslashes, u'\\');
            if (i == n || (!inQuotes && isBlank(commandLine[i])))
                break;
            if (copy)
                arg += commandLine[i];
            ++i;
        }
        result << arg;
    }
    return result;
}

bool survivesWindowsQuoting(const QString &name)
{
    return !name.contains(u'"') && !name.endsWith(u'\\');
}

QString findProgram(const QString &name, const QString &ownFolder,
                    const QString &currentDir, const QString &pathVariable)
{
    if (name.isEmpty())
        return {};
    const QDir current(currentDir);
    if (name.contains(u'/') || name.contains(u'\\')) {
        const QFileInfo given(current.filePath(QString(name).replace(u'\\', u'/')));
        return isProgramFile(given) ? QDir::cleanPath(given.absoluteFilePath()) : QString();
    }

    QStringList folders;
    if (!ownFolder.isEmpty())
        folders << current.absoluteFilePath(ownFolder);
    folders << current.absolutePath();
    for (const QString &entry : pathVariable.split(QDir::listSeparator(), Qt::SkipEmptyParts))
        folders << current.absoluteFilePath(entry);

    const QString key = programKey(name);
    for (const QString &folder : std::as_const(folders)) {
        const QString found = findInFolder(folder, name, key);
        if (!found.isEmpty())
            return QDir::cleanPath(found);
    }
    return {};
}
