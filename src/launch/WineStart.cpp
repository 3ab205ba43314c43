// SPDX-License-Identifier: MIT
#include "WineStart.h"

#include "PercentCodec.h"
#include "WineNames.h"
#include "ProcessStart.h"
#include "ProgramSearch.h"
#include "WinCommandLine.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <spawn.h>
#include <unistd.h>

extern char **environ;
#endif

namespace {

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
    for (const QString &candidate :
         {loader, bin + QStringLiteral("/wine"), bin + QStringLiteral("/wine64"),
          bin + QStringLiteral("/../lib/wine/wine"), bin + QStringLiteral("/../lib/wine/wine64")}) {
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
        default: break;
        }
    }
    return ability;
}

// The drives of the Wine prefix `prefix`: the links "a:" ... "z:" in its
// dosdevices folder, each also with its target resolved, as the real path of
// a file reached through it would begin. A prefix that Wine has not created
// yet will get Wine's default.
QList<WineDrive> readWineDrives(const QString &prefix)
{
    const QDir devices(prefix + QStringLiteral("/dosdevices"));
    if (!devices.exists())
        return defaultWineDrives();
    QList<WineDrive> drives;
    const QFileInfoList entries = devices.entryInfoList(QDir::AllEntries | QDir::System
                                                        | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QFileInfo &entry : entries) {
        const QString name = entry.fileName().toLower();
        if (name.size() == 2 && name[0] >= u'a' && name[0] <= u'z' && name[1] == u':'
            && entry.isSymLink()) {
            drives.append({name[0].toUpper(), QDir::cleanPath(entry.symLinkTarget())});
            const QString real = entry.canonicalFilePath();
            if (!real.isEmpty() && real != drives.constLast().target)
                drives.append({name[0].toUpper(), real});
        }
    }
    return drives;
}

// The word size of the Wine prefix `prefix` (32 or 64) from the "#arch="
// line of its system.reg; 0 where it has none yet.
int prefixBits(const QString &prefix)
{
    QFile registry(prefix + QStringLiteral("/system.reg"));
    if (!registry.open(QIODevice::ReadOnly))
        return 0;
    for (int i = 0; i < 20 && !registry.atEnd(); ++i) {
        const QByteArray line = registry.readLine().trimmed();
        if (line == "#arch=win32")
            return 32;
        if (line == "#arch=win64")
            return 64;
    }
    return 0;
}

// Why Wine would refuse to run a `bits`-bit program in the prefix that the
// environment names; "" where it would not. `prefix` receives the prefix.
QString prefixRefusal(int bits, QString &prefix)
{
    const bool set = qEnvironmentVariableIsSet("WINEPREFIX");
    prefix = qEnvironmentVariable("WINEPREFIX");
    if (set && prefix.isEmpty())
        return QStringLiteral("WINEPREFIX is set but empty, which Wine does not accept");
    if (set && !prefix.startsWith(u'/'))
        return QStringLiteral("WINEPREFIX is the relative path %1, which Wine does not accept; it"
                              " must be an absolute path")
            .arg(doubleQuoted(prefix));
    if (!set)
        prefix = QDir::homePath() + QStringLiteral("/.wine");
    const QString arch = qEnvironmentVariable("WINEARCH");
    const int existing = prefixBits(prefix);
    const int wanted = arch == QLatin1String("win32")   ? 32
                       : arch == QLatin1String("win64") ? 64
                                                        : 0;
    if (existing && wanted && existing != wanted)
        return QStringLiteral("WINEARCH is %1, but the Wine prefix %2 is %3-bit")
            .arg(arch, doubleQuoted(prefix), QString::number(existing));
    const int prefixSize = existing ? existing : wanted ? wanted : 64;
    if (bits == 64 && prefixSize == 32)
        return QStringLiteral("it is a 64-bit program, and the Wine prefix %1 %2 32-bit; use a"
                              " 64-bit prefix for it (WINEPREFIX)")
            .arg(doubleQuoted(prefix),
                 existing ? QStringLiteral("is") : QStringLiteral("would be made"));
    return {};
}

// The facts of the Windows program at `path`, read from its file (at most
// 64 MiB, beyond which no converter goes).
WindowsProgramFacts readFacts(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return readWindowsProgramFacts(file.read(qint64(64) << 20));
}

// The longest current directory Wine can give a Windows program.
constexpr int longestWindowsFolder = 258;

} // namespace

QString starterArgument(const QString &text)
{
    return QString::fromLatin1(percent_codec::encode(text.toUtf8().toStdString()));
}

FoundProgram throughWine(const QString &name, const QString &path, ExecutableKind kind,
                         const QString &ownFolder)
{
    FoundProgram found{path, std::nullopt, {}, {}};
    if (kind == ExecutableKind::WindowsOther) {
        found.error = QStringLiteral("The program %1 (%2) is a Windows program for another kind of"
                                     " processor than this computer's, which Wine cannot run here.")
                          .arg(doubleQuoted(name), path);
        return found;
    }
    const QString wine = findOnPath(QStringLiteral("wine"));
    if (wine.isEmpty()) {
        found.error =
            QStringLiteral("The program %1 (%2) is a Windows program. Brenvik starts Windows"
                           " programs through Wine, which is not installed: there is no"
                           " \"wine\" on the PATH. Install it on Debian with \"sudo apt"
                           " install wine\", then try again.")
                .arg(doubleQuoted(name), path);
        return found;
    }
    const bool bits32 = kind == ExecutableKind::Windows32;
    const WineAbility ability = wineAbility(wine, bits32);
    if (ability.known && !(bits32 ? ability.runs32 : ability.runs64)) {
        found.error =
            QStringLiteral("The program %1 (%2) is a %3-bit Windows program, which the"
                           " installed Wine (%4) cannot run. On Debian add its %3-bit part"
                           " with %5, then try again.")
                .arg(doubleQuoted(name), path, bits32 ? QStringLiteral("32") : QStringLiteral("64"),
                     wine,
                     bits32 ? QStringLiteral("\"sudo dpkg --add-architecture i386\", \"sudo"
                                             " apt update\" and \"sudo apt install"
                                             " wine32:i386\"")
                            : QStringLiteral("\"sudo apt install wine64\""));
        return found;
    }
    const QString starter = QDir::cleanPath(ownFolder
                                            + (bits32 ? QStringLiteral("/brenvik-winstart32.exe")
                                                      : QStringLiteral("/brenvik-winstart64.exe")));
    if (!QFileInfo(starter).isFile()) {
        found.error =
            QStringLiteral("The program %1 (%2) is a Windows program, but %3, which starts"
                           " Windows programs for Brenvik, is missing. Install Brenvik again"
                           " (building it needs the mingw-w64 cross compilers).")
                .arg(doubleQuoted(name), path, starter);
        return found;
    }
    QString prefix;
    const QString refusal = prefixRefusal(bits32 ? 32 : 64, prefix);
    if (!refusal.isEmpty()) {
        found.error = QStringLiteral("Wine cannot start the Windows program %1 (%2): %3.")
                          .arg(doubleQuoted(name), path, refusal);
        return found;
    }
    const QList<WineDrive> drives = readWineDrives(prefix);
    const QString folder = QDir::currentPath();
    const WindowsName program = toWindowsName(path, drives);
    const WindowsName workFolder = toWindowsName(folder, drives);
    for (const auto &[hostName, windowsName] :
         {std::pair{QFileInfo(path).absolutePath(), program}, std::pair{folder, workFolder}}) {
        if (windowsName.fault != WindowsNameFault::None) {
            found.error =
                QStringLiteral("The folder %1 cannot be handed to Wine for the Windows program"
                               " %2: %3.")
                    .arg(doubleQuoted(hostName), doubleQuoted(name),
                         windowsNameFaultText(windowsName.fault, windowsName.part));
            return found;
        }
    }
    if (workFolder.text.size() > longestWindowsFolder) {
        const QString reason =
            QStringLiteral("its Windows form is %1 characters long, more than the"
                           " %2 that Wine takes for a current folder")
                .arg(QString::number(workFolder.text.size()),
                     QString::number(longestWindowsFolder));
        found.error =
            QStringLiteral("The folder %1 cannot be handed to Wine for the Windows program"
                           " %2: %3.")
                .arg(doubleQuoted(folder), doubleQuoted(name), reason);
        return found;
    }
    found.wineDrives = drives;
    found.windowsFolder = workFolder.text;
    const WindowsProgramFacts facts = readFacts(path);
    found.gui = facts.gui;
    const QString locale = wineLocaleName();
    found.codePage = facts.utf8CodePage ? 65001 : wineCodePage(locale, localeInstalled(locale));
    found.codePageSource = facts.utf8CodePage
                               ? QStringLiteral("as its manifest asks")
                               : QStringLiteral("from the locale %1").arg(doubleQuoted(locale));
    // A 64-bit program goes straight to the 64-bit loader of the same Wine:
    // Debian's "wine" takes the 32-bit one wherever wine32 is installed,
    // which only hands it on, at the cost of a 32-bit start each time.
    const bool ownLoader = !bits32 && !ability.loader64.isEmpty()
                           && ability.loader64 != QFileInfo(wine).canonicalFilePath();
    found.runner = {ownLoader ? ability.loader64 : wine, starter, starterArgument(program.text),
                    starterArgument(workFolder.text)};
    // Debian's "wine" quietens Wine's notes on what it does not implement;
    // its loader, started directly, does not.
    if (ownLoader)
        found.runnerDefaults = {QStringLiteral("WINEDEBUG=fixme-all")};
    return found;
}
