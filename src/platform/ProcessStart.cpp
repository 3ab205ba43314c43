#include "ProcessStart.h"

QString startHostCommandLine(const QString &commandLine, const QString &)
{
    return QStringLiteral("Cannot start: ") + commandLine;
}

QString startWindowsCommandLine(const QString &commandLine, int)
{
    return QStringLiteral("Cannot start: ") + commandLine;
}
