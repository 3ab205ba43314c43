// SPDX-License-Identifier: MIT
#include "WinCommandLine.h"

namespace {

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
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
                        ++i; // "" inside quotes: one literal quote, still quoted
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
