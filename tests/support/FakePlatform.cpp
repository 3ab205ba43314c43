// SPDX-License-Identifier: MIT
#include "FakePlatform.h"

#include "ProcessStart.h"

#include <QCoreApplication>
#include <QDialog>
#include <QDir>

QString FakePlatform::startProgram(const QString &commandLine, int windowStyle)
{
    starts.append({commandLine, windowStyle, m_currentDirectory, QString()});
    if (realStart) {
        const QString saved = QDir::currentPath();
        QDir::setCurrent(m_currentDirectory);
        const QString error = startHostCommandLine(commandLine, exeFolder);
        QDir::setCurrent(saved);
        return error;
    }
    return startError;
}

FoundProgram FakePlatform::findConverter(const QString &name)
{
    if (!realStart)
        return converter;
    const QString saved = QDir::currentPath();
    QDir::setCurrent(m_currentDirectory);
    const FoundProgram found = findHostProgram(name, exeFolder);
    QDir::setCurrent(saved);
    return found;
}

QString FakePlatform::startConverter(const FoundProgram &program, const QString &commandLine,
                                    const QString &title)
{
    starts.append({commandLine, NormalFocus, m_currentDirectory, title});
    if (!realStart)
        return startError;
    const QString saved = QDir::currentPath();
    QDir::setCurrent(m_currentDirectory);
    const QString error = startHostCommand(hostCommandFor(program, commandLine));
    QDir::setCurrent(saved);
    return error;
}

bool FakePlatform::setCurrentDirectory(const QString &dir)
{
    if (dir.isEmpty() || (!existingFolders.isEmpty() && !existingFolders.contains(dir)))
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
    if (!answers.empty()) {
        const int answer = answers.front();
        answers.pop_front();
        return answer;
    }
    return (style & 0x0F) == 4 ? MsgBox::AnswerYes : MsgBox::AnswerOk;
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
