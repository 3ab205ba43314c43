// SPDX-License-Identifier: MIT
#include "ProcessStart.h"

#include "ConverterStart.h"
#include "ProgramSearch.h"
#include "WinCommandLine.h"
#include "WindowsStart.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QPointer>
#include <QSocketNotifier>
#include <QThread>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <system_error>
#include <thread>
#include <unistd.h>
#include <vector>

extern char **environ;
#endif

namespace {

QString startDetached(const QString &program, const QStringList &arguments,
                      const QString &shownName)
{
    return startHostCommand({program, QStringList{program} + arguments, shownName});
}

QString cannotBeStarted(const QString &shownName, const QString &reason)
{
    QString message =
        QStringLiteral("The program %1 cannot be started").arg(doubleQuoted(shownName));
    if (!reason.isEmpty())
        message += QStringLiteral(": ") + reason;
    return message + u'.';
}

#ifdef Q_OS_UNIX
// A started program is reaped when it ends, so that it never lingers as a
// zombie, by waiting for it alone: QProcess's children, and SIGCHLD, stay
// Qt's. Where the event loop runs in this thread, it watches the child's
// pidfd, and tells `ended` (while `context` lives) how it ended; elsewhere
// a thread of its own waits.
void reapChild(pid_t pid, QObject *context, const std::function<void(int)> &ended)
{
#ifdef SYS_pidfd_open
    QCoreApplication *app = QCoreApplication::instance();
    if (app && QThread::currentThread() == app->thread()) {
        const int fd = int(::syscall(SYS_pidfd_open, pid, 0));
        if (fd >= 0) {
            auto *notifier = new QSocketNotifier(fd, QSocketNotifier::Read, app);
            const QPointer<QObject> receiver(context);
            QObject::connect(notifier, &QSocketNotifier::activated, notifier,
                             [notifier, fd, pid, receiver, ended] {
                                 int status = 0;
                                 while (::waitpid(pid, &status, WNOHANG) < 0 && errno == EINTR) { }
                                 notifier->setEnabled(false);
                                 ::close(fd);
                                 notifier->deleteLater();
                                 if (receiver && ended)
                                     ended(status);
                             });
            return;
        }
    }
#endif
    try {
        std::thread([pid] {
            while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) { }
        }).detach();
    } catch (const std::system_error &) {
        // No thread to be had: the child stays a zombie until Brenvik ends.
    }
}
#endif

// The text after the program name, as Explorer takes it: the rest of the
// line, without surrounding blanks or one pair of surrounding quotes.
QString restOfLine(const QString &commandLine)
{
    qsizetype i = 0;
    const qsizetype n = commandLine.size();
    while (i < n && (commandLine[i] == u' ' || commandLine[i] == u'\t'))
        ++i;
    bool inQuotes = false;
    for (; i < n; ++i) {
        const QChar c = commandLine[i];
        if (c == u'"')
            inQuotes = !inQuotes;
        else if (!inQuotes && (c == u' ' || c == u'\t'))
            break;
    }
    QString rest = commandLine.mid(i).trimmed();
    if (rest.size() >= 2 && rest.startsWith(u'"') && rest.endsWith(u'"'))
        rest = rest.mid(1, rest.size() - 2);
    return rest;
}

QString openWithDesktop(const QString &commandLine, const QString &folder)
{
    const QString path = restOfLine(commandLine);
    if (path.isEmpty())
        return QStringLiteral("Nothing to open: the command names no file or folder.");
    if (!QFileInfo::exists(QDir(folder).filePath(path)))
        return QStringLiteral("%1 cannot be opened: it does not exist.").arg(doubleQuoted(path));
    const QString opener = findOnPath(QStringLiteral("xdg-open"));
    if (opener.isEmpty())
        return QStringLiteral("%1 cannot be opened: the desktop's opener \"xdg-open\" is not"
                              " installed.")
            .arg(doubleQuoted(path));
    return startDetached(opener, {path}, QStringLiteral("xdg-open"));
}

QString openRegionSettings()
{
    struct Panel
    {
        const char *program;
        const char *argument;
    };
    static const Panel panels[] = {
        {"gnome-control-center", "region"},
        {"systemsettings", "kcm_regionandlang"},
        {"systemsettings5", "kcm_formats"},
        {"lxqt-config-locale", nullptr},
    };
    for (const Panel &panel : panels) {
        const QString program = findOnPath(QString::fromLatin1(panel.program));
        if (program.isEmpty())
            continue;
        QStringList arguments;
        if (panel.argument)
            arguments << QString::fromLatin1(panel.argument);
        return startDetached(program, arguments, QString::fromLatin1(panel.program));
    }
    return QStringLiteral(
        "No region settings of the desktop were found. Choose a locale whose decimal"
        " symbol is \".\" and whose grouping symbol is \",\" before starting Brenvik,"
        " for example with LC_NUMERIC=en_US.UTF-8 (or LANG=en_US.UTF-8), then try again.");
}

} // namespace

QString startHostCommandLine(const QString &commandLine, const QString &ownFolder)
{
    const QStringList words = splitWindowsCommandLine(commandLine);
    if (words.isEmpty() || words.constFirst().isEmpty())
        return QStringLiteral("No program can be started: the command line names none.");
    const QString folder = QDir::currentPath();
    const QString first = words.constFirst().toCaseFolded();

    if (first == QLatin1String("explorer") || first == QLatin1String("explorer.exe"))
        return openWithDesktop(commandLine, folder);
    if ((first == QLatin1String("rundll32") || first == QLatin1String("rundll32.exe"))
        && commandLine.contains(QLatin1String("intl.cpl"), Qt::CaseInsensitive))
        return openRegionSettings();

    const FoundProgram program = findHostProgram(words.constFirst(), ownFolder);
    if (!program.error.isEmpty())
        return program.error;
    return startHostCommand(hostCommandFor(program, commandLine));
}

QString openWithDesktopViewer(const QString &path, QObject *context,
                              const std::function<void()> &noViewer, int watchMs)
{
    if (!QFileInfo::exists(path))
        return QStringLiteral("%1 cannot be opened: it does not exist.").arg(doubleQuoted(path));
    const QString opener = findOnPath(QStringLiteral("xdg-open"));
    if (opener.isEmpty()) {
        noViewer();
        return {};
    }
    QElapsedTimer watch;
    watch.start();
    const auto ended = [watch, watchMs, noViewer](int status) {
#ifdef Q_OS_UNIX
        const bool succeeded = WIFEXITED(status) && WEXITSTATUS(status) == 0;
#else
        const bool succeeded = status == 0;
#endif
        if (!succeeded && !watch.hasExpired(watchMs))
            noViewer();
    };
    if (!startHostCommand({opener, {opener, path}, QStringLiteral("xdg-open")}, context, ended)
             .isEmpty())
        noViewer();
    return {};
}

QString startHostCommand(const HostCommand &command)
{
    return startHostCommand(command, nullptr, {});
}

QString startHostCommand(const HostCommand &command, QObject *context,
                         const std::function<void(int)> &ended)
{
#ifdef Q_OS_UNIX
    const QByteArray program = QFile::encodeName(command.program);
    std::vector<QByteArray> arguments;
    for (const QString &argument : command.arguments)
        arguments.push_back(QFile::encodeName(argument));
    std::vector<char *> argv;
    for (QByteArray &argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    // A clean start: no signal blocked, no descriptor of Brenvik's beyond
    // the standard three, and a session of its own.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t mask;
    sigemptyset(&mask);
    posix_spawnattr_setsigmask(&attributes, &mask);
    // Qt ignores SIGPIPE for its own sockets and pipes; the converter gets
    // the default again. Handled signals are reset anyway, and a signal
    // ignored by whoever started Brenvik (nohup) stays ignored, as usual.
    sigaddset(&mask, SIGPIPE);
    posix_spawnattr_setsigdefault(&attributes, &mask);
    posix_spawnattr_setflags(&attributes,
                             POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSID);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);

    std::vector<QByteArray> defaults;
    std::vector<char *> environment;
    for (const QString &setting : command.defaults)
        if (!qEnvironmentVariableIsSet(setting.section(u'=', 0, 0).toLocal8Bit().constData()))
            defaults.push_back(setting.toLocal8Bit());
    for (char **variable = environ; *variable; ++variable)
        environment.push_back(*variable);
    for (QByteArray &setting : defaults)
        environment.push_back(setting.data());
    environment.push_back(nullptr);

    pid_t pid = 0;
    const int error = posix_spawn(&pid, program.constData(), &actions, &attributes, argv.data(),
                                  environment.data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (error != 0)
        return cannotBeStarted(command.shownName, QString::fromLocal8Bit(std::strerror(error)));

    reapChild(pid, context, ended);
    return {};
#else
    Q_UNUSED(context);
    Q_UNUSED(ended);
    return cannotBeStarted(
        command.shownName,
        QStringLiteral("starting a program detached is only available on POSIX hosts"));
#endif
}

void reapWhenEnded(qint64 pid)
{
#ifdef Q_OS_UNIX
    reapChild(pid_t(pid), nullptr, {});
#else
    Q_UNUSED(pid);
#endif
}

QString startWindowsCommandLine(const QString &commandLine, int windowStyle)
{
    return QString::fromStdWString(startWindowsProcess(commandLine.toStdWString(), windowStyle));
}
