// SPDX-License-Identifier: MIT
#include "ProcessStart.h"

#include "WinCommandLine.h"
#include "WindowsStart.h"

#include <QCoreApplication>
#include <QDir>
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

QString pathVariable()
{
    return QString::fromLocal8Bit(qgetenv("PATH"));
}

QString quoted(const QString &text)
{
    return u'"' + text + u'"';
}

QString startDetached(const QString &program, const QStringList &arguments,
                      const QString &shownName)
{
    return startHostCommand({program, QStringList{program} + arguments, shownName});
}

QString cannotBeStarted(const QString &shownName, const QString &reason)
{
    QString message = QStringLiteral("The program %1 cannot be started").arg(quoted(shownName));
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
void reapWhenEnded(pid_t pid, QObject *context = nullptr, std::function<void(int)> ended = {})
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
                while (::waitpid(pid, &status, WNOHANG) < 0 && errno == EINTR) {
                }
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
            while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
            }
        }).detach();
    } catch (const std::system_error &) {
        // No thread to be had: the child stays a zombie until Brenvik ends.
    }
}
#endif

// The first program `name` on PATH, exactly so spelt, that may be executed.
QString findOnPath(const QString &name)
{
    const QDir current = QDir::current();
    for (const QString &entry : pathVariable().split(QDir::listSeparator(), Qt::SkipEmptyParts)) {
        const QFileInfo candidate(current.absoluteFilePath(entry) + u'/' + name);
        if (candidate.isFile() && candidate.isExecutable())
            return QDir::cleanPath(candidate.absoluteFilePath());
    }
    return {};
}

// Which Windows programs the Wine at `wine` can run, judged from its files
// alone: asking Wine itself would take seconds at every click. Its loaders
// lie beside it or, where `wine` is a wrapper script as on Debian, in
// ../lib/wine; a 32-bit loader runs 32-bit programs, a 64-bit one 64-bit
// programs, and 32-bit ones too where the 32-bit Windows libraries lie
// beside it (a Wine built for both at once). `known` is false where no
// loader was found: an unfamiliar installation is not second-guessed.
// `loader64` is that Wine's 64-bit loader, where one was found.
struct WineAbility
{
    bool known = false, runs32 = false, runs64 = false;
    QString loader64;
};

// Whether this computer runs 32-bit x86 programs at all (some kernels are
// built or booted without it), tried once per loader by starting it with
// "--version": the start itself fails at once where they cannot run, and
// it is not waited for.
bool systemRuns32BitPrograms(const QString &loader)
{
    static QHash<QString, bool> known;
    const auto found = known.constFind(loader);
    if (found != known.cend())
        return *found;
    bool runs = false;
#ifdef Q_OS_UNIX
    const QByteArray program = QFile::encodeName(loader);
    char version[] = "--version";
    char *argv[] = {const_cast<char *>(program.constData()), version, nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    runs = posix_spawn(&pid, program.constData(), &actions, nullptr, argv, environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    if (runs)
        reapWhenEnded(pid);
#endif
    known.insert(loader, runs);
    return runs;
}

// A 32-bit loader is tried only where `needs32`: where this computer
// emulates 32-bit programs, the try alone keeps a processor busy for seconds.
WineAbility wineAbility(const QString &wine, bool needs32)
{
    const QString loader = QFileInfo(wine).canonicalFilePath();
    const QString bin = QFileInfo(loader).absolutePath();
    WineAbility ability;
    for (const QString &candidate : {loader, bin + QStringLiteral("/wine"), bin + QStringLiteral("/wine64"),
                                     bin + QStringLiteral("/../lib/wine/wine"),
                                     bin + QStringLiteral("/../lib/wine/wine64")}) {
        switch (readExecutableKind(candidate)) {
        case ExecutableKind::Linux32:
            ability.known = true;
            ability.runs32 = ability.runs32 || (needs32 && systemRuns32BitPrograms(candidate));
            break;
        case ExecutableKind::Linux64:
            ability.known = ability.runs64 = true;
            if (ability.loader64.isEmpty())
                ability.loader64 = QDir::cleanPath(candidate);
            if (QFileInfo::exists(bin + QStringLiteral("/../lib/wine/i386-windows/ntdll.dll")))
                ability.runs32 = true;
            break;
        default:
            break;
        }
    }
    return ability;
}

// The drives of the Wine prefix the converters will run in: the links
// "a:" ... "z:" in its dosdevices folder. A prefix that Wine has not
// created yet will get Wine's default.
QList<WineDrive> readWineDrives()
{
    QString prefix = qEnvironmentVariable("WINEPREFIX");
    if (prefix.isEmpty())
        prefix = QDir::homePath() + QStringLiteral("/.wine");
    const QDir devices(prefix + QStringLiteral("/dosdevices"));
    if (!devices.exists())
        return defaultWineDrives();
    QList<WineDrive> drives;
    const QFileInfoList entries =
        devices.entryInfoList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QFileInfo &entry : entries) {
        const QString name = entry.fileName().toLower();
        if (name.size() == 2 && name[0] >= u'a' && name[0] <= u'z' && name[1] == u':'
            && entry.isSymLink())
            drives.append({name[0].toUpper(), QDir::cleanPath(entry.symLinkTarget())});
    }
    return drives;
}

// The starter's arguments travel through Wine's conversion from the
// host's character set and its re-quoting; in this form (UTF-8, every byte
// that is not plain printable ASCII, and "%", quote and backslash, written as
// "%XX") they pass both unchanged.
QString starterArgument(const QString &text)
{
    QString out;
    for (const char c : text.toUtf8()) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte > 0x20 && byte < 0x7F && byte != '%' && byte != '"' && byte != '\\')
            out += QChar(byte);
        else
            out += u'%' + QStringLiteral("%1").arg(byte, 2, 16, QChar(u'0')).toUpper();
    }
    return out;
}

// A Windows program found at `path`: what starting it through Wine takes,
// or why it cannot be.
FoundProgram throughWine(const QString &name, const QString &path, ExecutableKind kind,
                         const QString &ownFolder)
{
    FoundProgram found{path, std::nullopt, {}, {}};
    if (kind == ExecutableKind::WindowsOther) {
        found.error = QStringLiteral("The program %1 (%2) is a Windows program for another kind of"
                                     " processor than this computer's, which Wine cannot run here.")
                          .arg(quoted(name), path);
        return found;
    }
    const QString wine = findOnPath(QStringLiteral("wine"));
    if (wine.isEmpty()) {
        found.error = QStringLiteral("The program %1 (%2) is a Windows program. Brenvik starts Windows"
                                     " programs through Wine, which is not installed: there is no"
                                     " \"wine\" on the PATH. Install it on Debian with \"sudo apt"
                                     " install wine\", then try again.")
                          .arg(quoted(name), path);
        return found;
    }
    const bool bits32 = kind == ExecutableKind::Windows32;
    const WineAbility ability = wineAbility(wine, bits32);
    if (ability.known && !(bits32 ? ability.runs32 : ability.runs64)) {
        found.error = QStringLiteral("The program %1 (%2) is a %3-bit Windows program, which the"
                                     " installed Wine (%4) cannot run. On Debian add its %3-bit part"
                                     " with %5, then try again.")
                          .arg(quoted(name), path, bits32 ? QStringLiteral("32") : QStringLiteral("64"),
                               wine,
                               bits32 ? QStringLiteral("\"sudo dpkg --add-architecture i386\", \"sudo"
                                                       " apt update\" and \"sudo apt install"
                                                       " wine32:i386\"")
                                      : QStringLiteral("\"sudo apt install wine64\""));
        return found;
    }
    const QString starter = QDir::cleanPath(ownFolder + (bits32 ? QStringLiteral("/brenvik-winstart32.exe")
                                                                : QStringLiteral("/brenvik-winstart64.exe")));
    if (!QFileInfo(starter).isFile()) {
        found.error = QStringLiteral("The program %1 (%2) is a Windows program, but %3, which starts"
                                     " Windows programs for Brenvik, is missing. Install Brenvik again"
                                     " (building it needs the mingw-w64 cross compilers).")
                          .arg(quoted(name), path, starter);
        return found;
    }
    const QList<WineDrive> drives = readWineDrives();
    const QString folder = QDir::currentPath();
    const WindowsName program = toWindowsName(path, drives);
    const WindowsName workFolder = toWindowsName(folder, drives);
    for (const auto &[hostName, windowsName] : {std::pair{QFileInfo(path).absolutePath(), program},
                                                std::pair{folder, workFolder}}) {
        if (windowsName.fault != WindowsNameFault::None) {
            found.error = QStringLiteral("The folder %1 cannot be handed to Wine for the Windows program"
                                         " %2: %3.")
                              .arg(quoted(hostName), quoted(name), windowsNameFaultText(windowsName.fault));
            return found;
        }
    }
    found.wineDrives = drives;
    // A 64-bit program goes straight to the 64-bit loader of the same Wine:
    // Debian's "wine" takes the 32-bit one wherever wine32 is installed,
    // which only hands it on, at the cost of a 32-bit start each time.
    const bool ownLoader = !bits32 && !ability.loader64.isEmpty()
        && ability.loader64 != QFileInfo(wine).canonicalFilePath();
    found.runner = {ownLoader ? ability.loader64 : wine, starter, starterArgument(program.text),
                    starterArgument(workFolder.text)};
    return found;
}

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
        return QStringLiteral("%1 cannot be opened: it does not exist.").arg(quoted(path));
    const QString opener = findProgram(QStringLiteral("xdg-open"), QString(), folder,
                                       pathVariable());
    if (opener.isEmpty())
        return QStringLiteral("%1 cannot be opened: the desktop's opener \"xdg-open\" is not"
                              " installed.").arg(quoted(path));
    return startDetached(opener, {path}, QStringLiteral("xdg-open"));
}

QString openRegionSettings(const QString &folder)
{
    struct Panel { const char *program; const char *argument; };
    static const Panel panels[] = {
        {"gnome-control-center", "region"},
        {"systemsettings", "kcm_regionandlang"},
        {"systemsettings5", "kcm_formats"},
        {"lxqt-config-locale", nullptr},
    };
    for (const Panel &panel : panels) {
        const QString program = findProgram(QString::fromLatin1(panel.program), QString(),
                                            folder, pathVariable());
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
        return openRegionSettings(folder);

    const FoundProgram program = findHostProgram(words.constFirst(), ownFolder);
    if (!program.error.isEmpty())
        return program.error;
    return startHostCommand(hostCommandFor(program, commandLine));
}

FoundProgram findHostProgram(const QString &name, const QString &ownFolder)
{
    const QString folder = QDir::currentPath();
    const ProgramSearch search = searchProgram(name, ownFolder, folder, pathVariable());
    if (search.found.isEmpty()) {
        FoundProgram missing;
        if (!search.notRunnable.isEmpty())
            missing.error = QStringLiteral("The program %1 was found as %2, but it cannot be run: the"
                                           " file is neither executable nor a Windows program.")
                                .arg(quoted(name), quoted(search.notRunnable));
        else
            missing.error = QStringLiteral("The program %1 cannot be found beside Brenvik, in the"
                                           " current folder %2 or on the PATH.")
                                .arg(quoted(name), quoted(QDir::toNativeSeparators(folder)));
        return missing;
    }
    const ExecutableKind kind = readExecutableKind(search.found);
    if (isWindowsProgram(kind))
        return throughWine(name, search.found, kind, ownFolder);
    return {search.found, std::nullopt, {}, {}};
}

HostCommand hostCommandFor(const FoundProgram &program, const QString &commandLine)
{
    const QStringList words = splitWindowsCommandLine(commandLine);
    const QString shownName = words.value(0);
    if (!program.runner.isEmpty())
        return {program.runner.constFirst(), program.runner + QStringList{starterArgument(commandLine)},
                shownName};
    return {program.path, QStringList{program.path} + words.mid(1), shownName};
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
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF
                                              | POSIX_SPAWN_SETSID);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);

    pid_t pid = 0;
    const int error = posix_spawn(&pid, program.constData(), &actions, &attributes, argv.data(),
                                  environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (error != 0)
        return cannotBeStarted(command.shownName, QString::fromLocal8Bit(std::strerror(error)));

    reapWhenEnded(pid, context, ended);
    return {};
#else
    Q_UNUSED(context);
    Q_UNUSED(ended);
    return cannotBeStarted(command.shownName,
                           QStringLiteral("starting a program detached is only available on POSIX hosts"));
#endif
}

QString startWindowsCommandLine(const QString &commandLine, int windowStyle)
{
    return QString::fromStdWString(startWindowsProcess(commandLine.toStdWString(), windowStyle));
}
