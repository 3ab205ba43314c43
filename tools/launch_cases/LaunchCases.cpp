// SPDX-License-Identifier: MIT
// Writes the launch cases for the Windows launch check: every converter
// command line the launch tests cover, built by the program's own
// command-line builder, with the program and the arguments this host's
// Windows splitter expects the converter to receive. The Windows side starts
// each line for real and compares what arrives, so both splitters are held
// to the same answers and nothing is typed twice.
//
//   brenvik_launch_cases <case file> [<working folder, Windows notation>]
//
// Output: UTF-8, one JSON object a line; the first line names the working
// folder, each further line is a case (name, line, program, args, inputs,
// outputs). Names are relative to the working folder or lie inside it.

#include "LaunchCaseTable.h"
#include "WinCommandLine.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

namespace {

QString programRole(const QString &program)
{
    QString role = program.toLower();
    if (role.endsWith(QLatin1String(".exe")))
        role.chop(4);
    return role;
}

QJsonArray jsonList(const QStringList &items)
{
    QJsonArray array;
    for (const QString &item : items)
        array.append(item);
    return array;
}

QJsonObject caseObject(const QString &name, const QString &line, const QStringList &inputs,
                       const QStringList &outputs)
{
    const QStringList split = splitWindowsCommandLine(line);
    return QJsonObject{{"name", name},
                       {"line", line},
                       {"program", programRole(split.value(0))},
                       {"args", jsonList(split.mid(1))},
                       {"inputs", jsonList(inputs)},
                       {"outputs", jsonList(outputs)}};
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    QTextStream err(stderr);
    if (args.size() < 2 || args.size() > 3) {
        err << "usage: brenvik_launch_cases <case file> [<working folder>]\n";
        return 2;
    }
    const QString root = args.size() == 3 ? args[2]
                                          : QString::fromUtf8("C:\\Brenvik Launch.1\\Wörk Ü");

    QFile file(args[1]);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        err << "cannot write \"" << args[1] << "\": " << file.errorString() << '\n';
        return 2;
    }
    file.write(QJsonDocument(QJsonObject{{"workDir", root}}).toJson(QJsonDocument::Compact)
               + '\n');

    int written = 0;
    for (const LaunchCase &c : launchCases(root, u'\\')) {
        const LaunchPlan plan = buildLaunch(c.in);
        // Every case must reach a converter; a case the click would refuse
        // is a mistake in this table, not something to skip quietly.
        if (plan.commandLine.isEmpty() || !plan.unsafeName.isNull()) {
            err << "case \"" << c.name << "\" builds no command line to start\n";
            return 1;
        }
        QStringList inputs, outputs;
        launchCaseFiles(c, plan, inputs, outputs);
        file.write(QJsonDocument(caseObject(c.name, plan.commandLine, inputs, outputs))
                       .toJson(QJsonDocument::Compact)
                   + '\n');
        ++written;
    }
    for (const auto &[name, line] : rawLaunchLines()) {
        file.write(QJsonDocument(caseObject(name, line, {}, {})).toJson(QJsonDocument::Compact)
                   + '\n');
        ++written;
    }
    if (!file.flush()) {
        err << "cannot write \"" << args[1] << "\": " << file.errorString() << '\n';
        return 2;
    }
    QTextStream(stdout) << written << " launch cases written to " << args[1] << '\n';
    return 0;
}
