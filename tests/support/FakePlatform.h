// SPDX-License-Identifier: MIT
#pragma once

#include "Platform.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <deque>
#include <functional>

/// A scripted host for the tests: message-box answers and file-dialog
/// results are queued in advance, everything the program asks of the host is
/// recorded (each message logged too, MessageLog.h), and nothing ever blocks.
class FakePlatform : public Platform
{
public:
    struct Message
    {
        QString prompt;
        int style;
        QString title;
    };
    struct Start
    {
        QString commandLine;
        int windowStyle;
        QString currentDirectory;
        QString title;
    };
    struct Dialog
    {
        CommonDialog settings;
        int action;
    };

    QString startProgram(const QString &commandLine, int windowStyle) override;
    QString openDocument(const QString &path, QObject *context,
                         const std::function<void()> &noViewer) override;
    LaunchRefusal startConverter(const ConverterCommand &command, const QString &title) override;
    bool setCurrentDirectory(const QString &dir) override;
    QString currentDirectory() const override { return m_currentDirectory; }
    int messageBox(const QString &prompt, int style, const QString &title) override;
    bool showFileDialog(CommonDialog &dialog, int action, QWidget *parent) override;
    void showModal(QDialog &dialog) override;
    NumberSymbols numberSymbols() const override { return symbols; }
    void beep() override { ++beeps; }
    void processPendingEvents() override;
    bool mayWrite(const QString &folder) const override
    {
        return !readOnlyFolders.contains(folder);
    }
    QString homeFolder() const override { return home; }
    QString executableFolder() const override { return exeFolder; }
    QString argumentText() const override { return arguments; }
    bool fileNamesIgnoreCase() const override { return ignoreCase; }
    QChar pathSeparator() const override { return u'/'; }
    void endProgram() override { ++endCalls; }

    // Settings a test may change.
    NumberSymbols symbols;
    QString exeFolder = QStringLiteral("/home/ana/brenvik");
    QString home = QStringLiteral("/home/ana");
    QStringList readOnlyFolders; ///< what mayWrite() refuses
    QString arguments;
    bool ignoreCase = false;
    QStringList existingFolders; ///< what setCurrentDirectory() accepts; empty: any
    bool realStart = false;      ///< programs and converters really start (end-to-end tests)
    QString startError;          ///< what a program's start (or a document's) gives when not real
    LaunchRefusal converterRefusal;    ///< what a converter's start gives when not real
    bool deliverPendingEvents = false; ///< processPendingEvents() really delivers them

    // Scripted answers, taken in order. An unscripted message box answers
    // its default (first) button; an unscripted file dialog is cancelled.
    std::deque<int> answers;
    std::deque<QString> dialogResults; ///< a null QString cancels that dialog
    /// Runs while a window is shown modally; it may click the window's
    /// buttons. A window still open afterwards is closed with its close box.
    std::deque<std::function<void(QDialog &)>> modalScripts;

    // Recordings.
    QList<Message> messages;
    QList<Start> starts; ///< programs and converters; documents opened as "open <path>"
    QList<Dialog> dialogs;
    int beeps = 0, pendingEventRuns = 0, endCalls = 0, modalShows = 0;

private:
    QString m_currentDirectory = QStringLiteral("/");
};
