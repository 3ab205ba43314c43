// SPDX-License-Identifier: MIT
#include "QtPlatform.h"

#include "ConverterStart.h"
#include "ProcessStart.h"
#include "TerminalStart.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {

bool hasWildcard(QStringView name)
{
    return name.contains(u'*') || name.contains(u'?');
}

// A name holding a wildcard is no choice but a pattern: the dialog lists the
// files it matches and stays open, as the Windows file dialogs do.
class FileDialog : public QFileDialog
{
public:
    using QFileDialog::QFileDialog;

    // Shows the folder of `typed` (when it exists), filtered by its last part.
    void filterBy(const QString &typed)
    {
        const QFileInfo info(typed);
        if (!hasWildcard(info.path()) && info.dir().exists())
            setDirectory(info.path());
        const QString pattern = info.fileName();
        if (!hasWildcard(pattern))
            return;
        QStringList filters = nameFilters();
        if (!filters.contains(pattern)) {
            filters << pattern;
            setNameFilters(filters);
        }
        selectNameFilter(pattern);
        if (QLineEdit *nameBox = this->nameBox()) {
            nameBox->setText(pattern);
            nameBox->selectAll();
        } else {
            selectFile(pattern);
        }
    }

    void accept() override
    {
        // A native dialog has closed already when it reports its choice;
        // showFileDialog opens it again. Qt's own dialog can stay open.
        const QStringList files = selectedFiles();
        if (nameBox() && !files.isEmpty() && hasWildcard(files.constFirst())) {
            filterBy(files.constFirst());
            return;
        }
        QFileDialog::accept();
    }

private:
    QLineEdit *nameBox() const
    {
        auto *box = findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        return box && box->isVisible() ? box : nullptr;
    }
};

} // namespace

QtPlatform::QtPlatform(QString argumentText)
    : m_argumentText(std::move(argumentText))
{
#ifndef Q_OS_WIN
    // Qt's file dialog keeps its history (last folder, view, sidebar) in the
    // user's QtProject.conf; the program keeps no settings between runs, so
    // the user's settings are looked for where none can be read or written.
    for (const QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat})
        QSettings::setPath(format, QSettings::UserScope, QStringLiteral("/dev/null"));
#endif
}

QString QtPlatform::startProgram(const QString &commandLine, int windowStyle)
{
#ifdef Q_OS_WIN
    return startWindowsCommandLine(commandLine, windowStyle);
#else
    Q_UNUSED(windowStyle);
    return startHostCommandLine(commandLine, executableFolder());
#endif
}

QString QtPlatform::openDocument(const QString &path, QObject *context,
                                 const std::function<void()> &noViewer)
{
    return openWithDesktopViewer(path, context, noViewer);
}

LaunchRefusal QtPlatform::startConverter(const ConverterCommand &command, const QString &title)
{
#ifdef Q_OS_WIN
    // Windows searches for the converter and gives a console program its
    // console window by itself.
    Q_UNUSED(title);
    const QString error = startWindowsCommandLine(command.line(), NormalFocus);
#else
    const ConverterStart start = prepareConverterStart(command, executableFolder());
    if (!start.refusal.isNull())
        return start.refusal;
    // Elsewhere a terminal window stands in for the console window, where
    // the converter's messages would otherwise go unseen.
    QString error;
    // A Windows GUI program opens windows of its own and writes nowhere.
    if (start.gui || !convertersWantWindows(QGuiApplication::platformName())) {
        error = startHostCommand(start.command);
    } else {
        const QString terminal = findTerminal();
        const QString console =
            QDir(executableFolder()).filePath(QStringLiteral("brenvik-console"));
        if (terminal.isEmpty() || !QFileInfo(console).isExecutable()) {
            error = startHostCommand(start.command);
            if (error.isEmpty())
                tellNoWindow(start.command.shownName);
        } else {
            // The window may fail long after this click, when this platform
            // may be gone.
            const std::weak_ptr<bool> alive = m_alive;
            const QString name = start.command.shownName;
            TerminalWindow window{terminal, console, title, start.throughWine, [this, alive, name] {
                                      if (!alive.expired())
                                          tellNoWindow(name);
                                  }};
            error = startInTerminalWindow(start.command, window);
        }
    }
#endif
    if (error.isEmpty())
        return {};
    return {error, QStringLiteral("Conversion Error")};
}

void QtPlatform::tellNoWindow(const QString &converter)
{
    if (m_noWindowTold)
        return;
    m_noWindowTold = true;
    messageBox(QStringLiteral("%1 runs without a window of its own: no terminal window could be "
                              "opened for it. Its messages go where Brenvik's own output goes, "
                              "which is usually nowhere to be seen when Brenvik was started from "
                              "the desktop's menu.\r\rFor a window, install a terminal emulator "
                              "(sudo apt install xterm), or start Brenvik from a terminal.")
                   .arg(converter),
               MsgBox::Exclamation, QStringLiteral("Converter Without Window"));
}

bool QtPlatform::setCurrentDirectory(const QString &dir)
{
    return !dir.isEmpty() && QDir::setCurrent(dir);
}

QString QtPlatform::currentDirectory() const
{
    return QDir::toNativeSeparators(QDir::currentPath());
}

int QtPlatform::messageBox(const QString &prompt, int style, const QString &title)
{
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(title);
    // Prompts break their lines with a carriage return alone, as Windows
    // shows them; Qt breaks lines at line feeds.
    QString text = prompt;
    text.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(u'\r', u'\n');
    box.setTextFormat(Qt::PlainText); // "<Force Pink>" is text, not a tag
    box.setText(text);
    switch (style & 0xF0) {
    case 16: box.setIcon(QMessageBox::Critical); break;
    case 32: box.setIcon(QMessageBox::Question); break;
    case 48: box.setIcon(QMessageBox::Warning); break;
    case 64: box.setIcon(QMessageBox::Information); break;
    default: box.setIcon(QMessageBox::NoIcon); break;
    }
    // As on Windows: the first button is the default, Escape answers No.
    const bool yesNo = (style & 0x0F) == 4;
    if (yesNo) {
        QPushButton *yes = box.addButton(QMessageBox::Yes);
        QPushButton *no = box.addButton(QMessageBox::No);
        box.setDefaultButton(yes);
        box.setEscapeButton(no);
    } else {
        QPushButton *ok = box.addButton(QMessageBox::Ok);
        box.setDefaultButton(ok);
        box.setEscapeButton(ok);
    }
    box.exec();
    if (yesNo)
        return box.clickedButton() == box.button(QMessageBox::Yes) ? MsgBox::AnswerYes
                                                                   : MsgBox::AnswerNo;
    return MsgBox::AnswerOk;
}

bool QtPlatform::showFileDialog(CommonDialog &dialog, int action, QWidget *parent)
{
    QStringList filters;
    const QStringList parts = dialog.Filter.split(u'|');
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString &description = parts[i];
        const QString &pattern = parts[i + 1];
        filters << (description.contains(u'(' + pattern + u')')
                        ? description
                        : description + QStringLiteral(" (") + pattern + u')');
    }

    QString chosen;
    do {
        FileDialog box(parent);
        box.setAcceptMode(action == CommonDialog::SaveDialog ? QFileDialog::AcceptSave
                                                             : QFileDialog::AcceptOpen);
        // No overwrite question and no existence check, as the program asks for none.
        box.setFileMode(QFileDialog::AnyFile);
        box.setOption(QFileDialog::DontConfirmOverwrite, true);
        box.setNameFilters(filters);
        if (dialog.FilterIndex >= 1 && dialog.FilterIndex <= filters.size())
            box.selectNameFilter(filters[dialog.FilterIndex - 1]);
        QString folder = dialog.InitDir.isEmpty() ? m_lastDialogFolder : dialog.InitDir;
        if (!folder.isEmpty())
            box.setDirectory(QDir::fromNativeSeparators(folder));
        if (chosen.isEmpty() && !dialog.FileName.isEmpty())
            box.selectFile(dialog.FileName);
        else if (!chosen.isEmpty())
            box.filterBy(chosen); // a native dialog returned a pattern

        if (box.exec() != QDialog::Accepted || box.selectedFiles().isEmpty())
            return false;
        chosen = box.selectedFiles().constFirst();
    } while (hasWildcard(chosen));
    m_lastDialogFolder = QDir::toNativeSeparators(QFileInfo(chosen).absolutePath());
    dialog.FileName = QDir::toNativeSeparators(chosen);
    return true;
}

void QtPlatform::showModal(QDialog &dialog)
{
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.exec();
}

NumberSymbols QtPlatform::numberSymbols() const
{
    const QLocale locale = QLocale::system();
    return NumberSymbols{locale.decimalPoint(), locale.groupSeparator()};
}

void QtPlatform::beep()
{
    QApplication::beep();
}

void QtPlatform::processPendingEvents()
{
    QCoreApplication::processEvents();
}

bool QtPlatform::mayWrite(const QString &folder) const
{
#ifdef Q_OS_UNIX
    return ::access(QFile::encodeName(folder).constData(), W_OK) == 0;
#else
    return QFileInfo(folder).isWritable();
#endif
}

QString QtPlatform::homeFolder() const
{
    return QDir::toNativeSeparators(QDir::homePath());
}

QString QtPlatform::executableFolder() const
{
    return QDir::toNativeSeparators(QCoreApplication::applicationDirPath());
}

QString QtPlatform::argumentText() const
{
    return m_argumentText;
}

bool QtPlatform::fileNamesIgnoreCase() const
{
#ifdef Q_OS_WIN
    return true;
#else
    return false;
#endif
}

QChar QtPlatform::pathSeparator() const
{
    return QDir::separator();
}

void QtPlatform::endProgram()
{
    m_ended = true;
    QCoreApplication::exit(0);
}
