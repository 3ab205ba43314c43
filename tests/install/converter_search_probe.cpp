// SPDX-License-Identifier: MIT
// converter_search_probe <installed brenvik> <empty folder>: prints, one a line, the
// converters the program search finds for the program started by that path (links
// resolved, as the program takes its own folder) with the empty folder as the current
// one and an empty PATH, so that only the program's folder can supply them. Status 1
// when one is missing.
#include "WinCommandLine.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 3)
        return 2;
    const QString ownFolder = QFileInfo(QFileInfo(arguments[1]).canonicalFilePath()).absolutePath();
    int missing = 0;
    for (const char *name : {"ZARVO.EXE", "KELDT.EXE", "TOMBRA.EXE", "pashet.exe", "frelio.exe"}) {
        const QString found = findProgram(QString::fromLatin1(name), ownFolder, QDir(arguments[2]).absolutePath(), QString());
        std::printf("%s\n", found.isEmpty() ? qPrintable(QStringLiteral("missing: ") + name) : qPrintable(found));
        missing += found.isEmpty();
    }
    return missing ? 1 : 0;
}
