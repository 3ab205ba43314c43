// SPDX-License-Identifier: MIT
#pragma once

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>

/// Logs a message that a test's host was asked to show, as a line [prompt, style, title], into the
/// folder BRENVIK_MESSAGE_LOG names (set by tests/manual/run_noted.sh), a file for each test
/// program: messages_shown checks there that the tests show every message the program can show.
/// The lines are written when the program ends, as a test may forbid writing meanwhile (a full
/// disk in tst_equal).
inline void logShownMessage(const QString &prompt, int style, const QString &title)
{
    struct Log
    {
        QString name;
        QByteArray lines;
        ~Log()
        {
            QFile file(name);
            if (!lines.isEmpty()
                && !(QDir().mkpath(QFileInfo(name).path()) && file.open(QIODevice::Append)
                     && file.write(lines) == lines.size()))
                qWarning("the message log %s cannot be written", qPrintable(name));
        }
    };
    static Log log;
    const QString folder = qEnvironmentVariable("BRENVIK_MESSAGE_LOG");
    if (folder.isEmpty())
        return;
    log.name = QDir(folder).filePath(QStringLiteral("%1.%2.log")
                                         .arg(QCoreApplication::applicationName())
                                         .arg(QCoreApplication::applicationPid()));
    log.lines +=
        QJsonDocument(QJsonArray{prompt, style, title}).toJson(QJsonDocument::Compact) + '\n';
}
