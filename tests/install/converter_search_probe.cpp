// SPDX-License-Identifier: MIT
// Asks the program search which converter files an installed brenvik would
// start. Given the path the user starts brenvik by (a link in bin/ in the
// package), it takes the program's folder the way the program itself does
// (links resolved), then looks up each converter by the name the command
// lines use, with an empty current folder and PATH, so that only the
// program's own folder can supply them. Prints one found path per line;
// exits 1 when any converter is missing.

#include "WinCommandLine.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    QTextStream out(stdout);
    QTextStream err(stderr);
    if (arguments.size() != 3) {
        err << "usage: converter_search_probe <installed brenvik> <empty folder>\n";
        return 2;
    }
    const QString program = QFileInfo(arguments[1]).canonicalFilePath();
    if (program.isEmpty()) {
        err << "no program at " << arguments[1] << '\n';
        return 1;
    }
    const QString ownFolder = QFileInfo(program).absolutePath();
    const QString currentDir = QDir(arguments[2]).absolutePath();

    int missing = 0;
    for (const char *name : {"ZARVO.EXE", "KELDT.EXE", "TOMBRA.EXE", "pashet.exe", "frelio.exe"}) {
        const QString found = findProgram(QString::fromLatin1(name), ownFolder, currentDir, QString());
        if (found.isEmpty()) {
            err << name << " not found beside " << ownFolder << '\n';
            ++missing;
        } else {
            out << found << '\n';
        }
    }
    return missing ? 1 : 0;
}
