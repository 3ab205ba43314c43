// SPDX-License-Identifier: MIT
#include "FakePlatform.h"

#include "ConverterStart.h"
#include "MessageLog.h"
#include "ProcessStart.h"

#include <QCoreApplication>
#include <QDialog>
#include <QDir>

QString FakePlatform::startProgram(const QString &commandLine, int windowStyle)
{
    starts.append({commandLine, windowStyle, m_currentDirectory, QString()});
    return realStart ? startHostCommandLine(commandLine, exeFolder) : startError;
}

QString FakePlatform::openDocument(const QString &path, QObject *context,
                                   const std::function<void()> &noViewer)
{
    starts.append({QStringLiteral("open ") + path, NormalFocus, m_currentDirectory, QString()});
    if (realStart)
        return openWithDesktopViewer(path, context, noViewer);
    return startError;
}

LaunchRefusal FakePlatform::startConverter(const ConverterCommand &command, const QString &title)
{
    starts.append({command.line(), NormalFocus, m_currentDirectory, title});
    if (!realStart)
        return converterRefusal;
    const ConverterStart start = prepareConverterStart(command, exeFolder);
    if (!start.refusal.isNull())
        return start.refusal;
    const QString error = startHostCommand(start.command);
    return error.isEmpty() ? LaunchRefusal()
                           : LaunchRefusal{error, QStringLiteral("Conversion Error")};
}

// Starting for real, the process's own current directory is the one programs start in.
bool FakePlatform::setCurrentDirectory(const QString &dir)
{
    if (dir.isEmpty() || (!existingFolders.isEmpty() && !existingFolders.contains(dir))
        || (realStart && !QDir::setCurrent(dir)))
        return false;
    m_currentDirectory = dir;
    return true;
}
void FakePlatform::processPendingEvents()
{
    ++pendingEventRuns;
    if (deliverPendingEvents)
        QCoreApplication::processEvents();
}

int FakePlatform::messageBox(const QString &prompt, int style, const QString &title)
{
    messages.append({prompt, style, title});
    logShownMessage(prompt, style, title);
    if (answers.empty())
        return (style & 0x0F) == 4 ? MsgBox::AnswerYes : MsgBox::AnswerOk;
    const int answer = answers.front();
    answers.pop_front();
    return answer;
}

bool FakePlatform::showFileDialog(CommonDialog &dialog, int action, QWidget *)
{
    dialogs.append({dialog, action});
    if (dialogResults.empty())
        return false;
    const QString result = dialogResults.front();
    dialogResults.pop_front();
    if (result.isNull())
        return false;
    dialog.FileName = result;
    return true;
}

void FakePlatform::showModal(QDialog &dialog)
{
    ++modalShows;
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.show();
    if (!modalScripts.empty()) {
        auto script = std::move(modalScripts.front());
        modalScripts.pop_front();
        script(dialog);
    }
    if (dialog.isVisible())
        dialog.close();
}
