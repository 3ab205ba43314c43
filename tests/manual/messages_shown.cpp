// SPDX-License-Identifier: MIT
// messages_shown FOLDER TEST...: whether the tests showed every message the program can show
// (ProgramMessages.h, but for those no user action reaches), each placeholder standing for any
// text. Each TEST ran through run_noted.sh, which noted in FOLDER how it ended; its hosts logged
// there every message they were asked to show (MessageLog.h). Judged only where every TEST ran and
// passed in this run, as in CI: a subset run, or a test skipped where a tool is missing, shows
// less. Then the messages no test showed are listed all the same, and the check counts as skipped
// (77).

#include "ProgramMessages.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QMap>
#include <QRegularExpression>

#include <algorithm>
#include <cstdio>

namespace {

QList<QByteArray> lines(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll().split('\n') : QList<QByteArray>();
}

void print(const QString &text)
{
    std::printf("%s\n", qPrintable(QString(text).replace(u'\r', QLatin1String("\\r"))));
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList tests = app.arguments().mid(1);
    if (tests.isEmpty()) {
        print("usage: messages_shown FOLDER TEST...");
        return 2;
    }
    const QDir folder(tests.takeFirst());

    // How each test ended; where CTest ran one again, the last time counts.
    QMap<QString, QByteArray> ended;
    for (const QByteArray &line : lines(folder.filePath("results"))) {
        const QList<QByteArray> words = line.split(' ');
        if (words.size() == 2)
            ended[QString::fromUtf8(words[0])] = words[1];
    }
    QStringList unfinished;
    for (const QString &test : tests) {
        const QByteArray status = ended.value(test);
        if (status.isEmpty())
            unfinished << test + " (did not run, or did not end)";
        else if (status == "77")
            unfinished << test + " (skipped)";
        else if (status != "0")
            unfinished << test + " (failed)";
    }

    // The prompts and titles shown, each matched whole by a message or holding it as a part.
    QStringList shown;
    for (const QFileInfo &log : folder.entryInfoList({"*.log"}, QDir::Files)) {
        for (const QByteArray &line : lines(log.filePath())) {
            for (const QJsonValue &value : QJsonDocument::fromJson(line).array()) {
                if (value.isString())
                    shown << value.toString();
            }
        }
    }
    static const QRegularExpression placeholder(QStringLiteral("\\\\%[1-9]"));
    const auto wasShown = [&](const char *message) {
        const QRegularExpression fixedParts(QRegularExpression::escape(QString::fromUtf8(message))
                                                .replace(placeholder, QStringLiteral(".*?")),
                                            QRegularExpression::DotMatchesEverythingOption);
        return std::any_of(shown.cbegin(), shown.cend(),
                           [&](const QString &text) { return text.contains(fixedParts); });
    };
    const auto unreachable = [](const char *message) {
        return std::find_if(std::begin(unreachableMessages), std::end(unreachableMessages),
                            [&](const char *other) { return qstrcmp(message, other) == 0; })
               != std::end(unreachableMessages);
    };
    QStringList unseen;
    QStringList reached;
    for (const char *message : programMessages) {
        if (!unreachable(message) && !wasShown(message))
            unseen << QString::fromUtf8(message);
    }
    // A test that shows one of these proves the list wrong.
    for (const char *message : unreachableMessages) {
        if (wasShown(message))
            reached << QString::fromUtf8(message);
    }

    for (const QString &message : unseen)
        print("No test showed: " + message);
    for (const QString &message : reached)
        print("A test showed what ProgramMessages.h calls unreachable: " + message);
    if (!unfinished.isEmpty()) {
        print(QStringLiteral("Not judged: %1 of the %2 tests it waits for did not run and pass "
                             "in this run: %3.")
                  .arg(unfinished.size())
                  .arg(tests.size())
                  .arg(unfinished.join(", ")));
        return 77;
    }
    const qsizetype reachable =
        qsizetype(std::size(programMessages) - std::size(unreachableMessages));
    if (!unseen.isEmpty() || !reached.isEmpty()) {
        print(QStringLiteral("%1 of the %2 messages the program can show were shown by no test.")
                  .arg(unseen.size())
                  .arg(reachable));
        return 1;
    }
    print(QStringLiteral("All %1 messages the program can show were shown by the tests.")
              .arg(reachable));
    return 0;
}
