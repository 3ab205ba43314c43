// SPDX-License-Identifier: MIT
#pragma once

#include "ConverterCommand.h"
#include "NumberFormat.h"

#include <QString>
#include <QStringList>

#include <functional>

class QDialog;
class QObject;
class QWidget;

/// The common file dialog of a window: the settings made before it is shown
/// and, after a confirmed choice, the chosen name in `FileName`. The dialog
/// asks nothing before overwriting, insists on no existing file, and reports
/// a cancel as no choice.
struct CommonDialog
{
    enum Action { OpenDialog = 1, SaveDialog = 2 };

    QString Filter;      ///< "description|pattern|description|pattern..."
    int FilterIndex = 1; ///< the pair selected when the dialog opens, from 1
    QString FileName;    ///< preset before showing; the choice afterwards
    QString InitDir;     ///< folder the dialog opens in; "" = the last one used
};

/// Message-box styles and answers, numbered as the Windows message box numbers them.
namespace MsgBox {
constexpr int OkOnly = 0;
constexpr int Critical = 16;         ///< OK, critical-stop icon
constexpr int YesNoCritical = 20;    ///< Yes/No, critical-stop icon
constexpr int Exclamation = 48;      ///< OK, exclamation icon
constexpr int YesNoExclamation = 52; ///< Yes/No, exclamation icon
constexpr int AnswerOk = 1;
constexpr int AnswerYes = 6;
constexpr int AnswerNo = 7;
}

/// Window style of a started program: a normal window that receives the focus.
constexpr int NormalFocus = 1;

/// Everything the program needs of its host. The windows take one by
/// reference; the tests hand them a scripted fake.
class Platform
{
public:
    virtual ~Platform() = default;

    /// Starts a program from one command-line text without waiting for it.
    /// Returns "" when it was started, otherwise a message for the user that
    /// names what could not be found or started.
    virtual QString startProgram(const QString &commandLine, int windowStyle) = 0;

    /// Hands the file `path` to the desktop's viewer for it without waiting.
    /// Returns a message for the user when the file does not exist. Else
    /// `noViewer` is called when no program to show the file was found: at
    /// once, or later from the event loop (while `context` lives) when the
    /// desktop's opener fails within a few seconds.
    virtual QString openDocument(const QString &path, QObject *context,
                                 const std::function<void()> &noViewer) = 0;

    /// Looks for the converter that `command` names, from the current
    /// directory, writes the line as that converter must receive it, and
    /// starts it without waiting, in a window of its own where the host gives
    /// it one (`title` names it there). Returns a null refusal when it was
    /// started, otherwise the message for the user and its title.
    virtual LaunchRefusal startConverter(const ConverterCommand &command, const QString &title) = 0;

    /// Makes `dir` the process's current directory; false when it cannot.
    virtual bool setCurrentDirectory(const QString &dir) = 0;
    virtual QString currentDirectory() const = 0;

    /// Modal message box; `style` picks buttons and icon (see MsgBox).
    /// Returns the number of the button pressed (Yes = 6).
    virtual int messageBox(const QString &prompt, int style, const QString &title) = 0;

    /// Shows an open (1) or save (2) dialog. On a confirmed choice sets
    /// `dialog.FileName` and returns true; false when cancelled or failed.
    virtual bool showFileDialog(CommonDialog &dialog, int action, QWidget *parent) = 0;

    /// Shows `dialog` modally and returns when it has been closed.
    virtual void showModal(QDialog &dialog) = 0;

    virtual NumberSymbols numberSymbols() const = 0;
    virtual void beep() = 0;
    /// Lets pending window events run.
    virtual void processPendingEvents() = 0;

    /// True when the user may write into `folder` (as the host's access
    /// check with the real user's rights tells).
    virtual bool mayWrite(const QString &folder) const = 0;
    /// The user's home folder.
    virtual QString homeFolder() const = 0;

    /// Folder of the program's executable file, in the host's notation.
    virtual QString executableFolder() const = 0;
    /// The program's command-line argument text ("" when none).
    virtual QString argumentText() const = 0;

    /// True where file names ignore letter case (Windows).
    virtual bool fileNamesIgnoreCase() const = 0;
    /// The separator between folder names in the host's paths: "\" on
    /// Windows, "/" elsewhere (where "\" may be part of a name).
    virtual QChar pathSeparator() const = 0;

    /// Ends the program at once: no further handler runs.
    virtual void endProgram() = 0;
};
