// SPDX-License-Identifier: MIT
#include "ProgramSearch.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutex>

#include <algorithm>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>
#endif
#ifdef Q_OS_LINUX
#include <sys/inotify.h>
#endif

namespace {

bool endsWithExe(const QString &name)
{
    return name.size() > 4 && name.endsWith(QLatin1String(".exe"), Qt::CaseInsensitive);
}

bool isRegularFile(const QString &path)
{
#ifdef Q_OS_UNIX
    struct stat info;
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 && S_ISREG(info.st_mode);
#else
    return QFileInfo(path).isFile();
#endif
}

bool isRunnable(const QString &path)
{
#ifdef Q_OS_UNIX
    if (::access(QFile::encodeName(path).constData(), X_OK) == 0)
        return true;
#else
    if (QFileInfo(path).isExecutable())
        return true;
#endif
    return isWindowsProgram(readExecutableKind(path));
}

// The names in a folder by their case-folded form. A case-blind lookup
// would otherwise list every folder on PATH at every click; a listing is
// used again until the folder changes. On Linux inotify says when that is,
// so a search costs one read for all folders together; elsewhere, or past
// the limit of watches, the folder's modification time must have moved,
// and a listing counts only once that time lies well in the past, since a
// change within the file system's timestamp granularity leaves it unmoved.
class FolderNames
{
public:
    /// Takes in the changes to the watched folders since the last call.
    void catchUp()
    {
        const QMutexLocker lock(&m_mutex);
#ifdef Q_OS_LINUX
        if (m_inotify < 0)
            return;
        alignas(struct inotify_event) char buffer[4096];
        for (ssize_t got; (got = ::read(m_inotify, buffer, sizeof buffer)) > 0;) {
            for (const char *p = buffer; p < buffer + got;) {
                const auto *event = reinterpret_cast<const struct inotify_event *>(p);
                for (Listing &listing : m_listings) {
                    if (listing.watch < 0
                        || !(event->mask & IN_Q_OVERFLOW || event->wd == listing.watch))
                        continue;
                    listing.current = false;
                    if (event->mask & IN_IGNORED)
                        listing.watch = -1; // the folder went away
                }
                p += sizeof(struct inotify_event) + event->len;
            }
        }
#endif
    }

    /// The names in `folder` whose case-folded form is `foldedName`, the
    /// spelling `exact` first, the others sorted.
    QStringList matching(const QString &folder, const QString &foldedName, const QString &exact)
    {
        const QMutexLocker lock(&m_mutex);
#ifdef Q_OS_UNIX
        Listing &listing = m_listings[folder];
        if (listing.encoded.isEmpty())
            listing.encoded = QFile::encodeName(folder);
        if (!isCurrent(folder, listing)) {
            m_listings.remove(folder);
            return {};
        }
#else
        Listing listing;
        list(folder, listing);
#endif
        QStringList names = listing.byFoldedName.value(foldedName);
        if (names.removeOne(exact))
            names.prepend(exact);
        return names;
    }

private:
    struct Listing
    {
        QByteArray encoded; ///< the folder's name for the system
        int watch = -1;     ///< its inotify watch, or -1
        bool current = false;
        qint64 changed = 0; ///< without a watch: the modification time listed
        bool settled = false;
        QHash<QString, QStringList> byFoldedName;
    };

    static void list(const QString &folder, Listing &listing)
    {
        listing.byFoldedName.clear();
        QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System);
        while (it.hasNext())
            listing.byFoldedName[it.nextFileInfo().fileName().toCaseFolded()] << it.fileName();
        for (QStringList &names : listing.byFoldedName)
            names.sort(); // the result must not depend on listing order
    }

#ifdef Q_OS_UNIX
    // Brings `listing` up to date; false when the folder is not there.
    bool isCurrent(const QString &folder, Listing &listing)
    {
#ifdef Q_OS_LINUX
        if (listing.watch >= 0) {
            if (!listing.current)
                list(folder, listing);
            listing.current = true;
            return true;
        }
        if (m_inotify == -2)
            m_inotify = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        if (m_inotify >= 0) {
            // Watched before it is listed: a change while listing is not missed.
            listing.watch = ::inotify_add_watch(m_inotify, listing.encoded.constData(),
                                                IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO
                                                    | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR);
            if (listing.watch >= 0) {
                list(folder, listing);
                listing.current = true;
                return true;
            }
            if (errno == ENOENT || errno == ENOTDIR || errno == EACCES)
                return false;
        }
#endif
        struct stat info;
        if (::stat(listing.encoded.constData(), &info) != 0 || !S_ISDIR(info.st_mode))
            return false;
        const qint64 changed = qint64(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
        if (!listing.settled || listing.changed != changed) {
            struct timespec now;
            ::clock_gettime(CLOCK_REALTIME, &now);
            listing.changed = changed;
            listing.settled = changed < qint64(now.tv_sec - 2) * 1000000000;
            list(folder, listing);
        }
        return true;
    }
#endif

    QMutex m_mutex;
    QHash<QString, Listing> m_listings;
    int m_inotify = -2; ///< -2: not tried yet
};

FolderNames &folderNames()
{
    static FolderNames names;
    return names;
}

// The folders searched, in order, without repeats; worked out again only
// when one of the three texts changes.
QStringList searchFolders(const QString &ownFolder, const QString &currentDir,
                          const QString &pathVariable)
{
    static QMutex mutex;
    static QStringList key, folders;
    const QMutexLocker lock(&mutex);
    const QStringList now{ownFolder, currentDir, pathVariable};
    if (now != key) {
        const QDir current(currentDir);
        folders.clear();
        if (!ownFolder.isEmpty())
            folders << QDir::cleanPath(current.absoluteFilePath(ownFolder));
        folders << QDir::cleanPath(current.absolutePath());
        for (const QString &entry : pathVariable.split(QDir::listSeparator(), Qt::SkipEmptyParts))
            folders << QDir::cleanPath(current.absoluteFilePath(entry));
        folders.removeDuplicates();
        key = now;
    }
    return folders;
}

// Looks for `name` in `folder`: the exact spelling first, then any other
// letter case. Files that cannot be run are noted and skipped.
QString findInFolder(const QString &folder, const QString &name, ProgramSearch &search)
{
    if (folder.isEmpty())
        return {};
    const QStringList names = folderNames().matching(folder, name.toCaseFolded(), name);
    for (const QString &candidate : names) {
        const QString path = folder + u'/' + candidate;
        if (isRunnable(path))
            return path;
        if (search.notRunnable.isEmpty() && isRegularFile(path))
            search.notRunnable = QDir::cleanPath(path);
    }
    return {};
}

} // namespace

ProgramSearch searchProgram(const QString &name, const QString &ownFolder,
                            const QString &currentDir, const QString &pathVariable)
{
    ProgramSearch search;
    if (name.isEmpty())
        return search;
    const QDir current(currentDir);
    if (name.contains(u'/') || name.contains(u'\\')) {
        const QString given =
            QDir::cleanPath(current.absoluteFilePath(QString(name).replace(u'\\', u'/')));
        if (isRegularFile(given) && isRunnable(given))
            search.found = given;
        else if (isRegularFile(given))
            search.notRunnable = given;
        return search;
    }

    const QStringList folders = searchFolders(ownFolder, currentDir, pathVariable);
    folderNames().catchUp();

    const QStringList spellings = endsWithExe(name)
                                      ? QStringList{name, name.chopped(4)}
                                      : QStringList{name + QStringLiteral(".exe"), name};
    for (const QString &spelling : spellings) {
        for (const QString &folder : std::as_const(folders)) {
            const QString found = findInFolder(folder, spelling, search);
            if (!found.isEmpty()) {
                search.found = QDir::cleanPath(found);
                return search;
            }
        }
    }
    return search;
}

QString findProgram(const QString &name, const QString &ownFolder, const QString &currentDir,
                    const QString &pathVariable)
{
    return searchProgram(name, ownFolder, currentDir, pathVariable).found;
}

namespace {

// The first 64 bytes of the file at `path` and the six at its PE header's
// offset (see classifyExecutable()); empty where they cannot be read.
void readHeads(const QString &path, QByteArray &head, QByteArray &peHeader)
{
    head = QByteArray(64, '\0');
    peHeader = QByteArray(6, '\0');
#ifdef Q_OS_UNIX
    // Without blocking: a named pipe in place of a program must not hang the window.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        head.clear();
        peHeader.clear();
        return;
    }
    struct stat info;
    ssize_t got = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)
                      ? ::pread(fd, head.data(), head.size(), 0)
                      : -1;
    head.resize(std::max<ssize_t>(got, 0));
    const qint64 offset = peHeaderOffset(head);
    got = offset >= 0 ? ::pread(fd, peHeader.data(), peHeader.size(), off_t(offset)) : 0;
    peHeader.resize(std::max<ssize_t>(got, 0));
    ::close(fd);
#else
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        head.clear();
        peHeader.clear();
        return;
    }
    head = file.read(head.size());
    const qint64 offset = peHeaderOffset(head);
    peHeader = offset >= 0 && file.seek(offset) ? file.read(peHeader.size()) : QByteArray();
#endif
}

} // namespace

ExecutableKind readExecutableKind(const QString &path)
{
    QByteArray head, peHeader;
    readHeads(path, head, peHeader);
    return classifyExecutable(head, peHeader);
}

QString readUnrunnableKind(const QString &path)
{
    QByteArray head, peHeader;
    readHeads(path, head, peHeader);
    return unrunnableKindText(head, peHeader);
}

QString findOnPath(const QString &name)
{
    const QDir current = QDir::current();
    const QStringList entries =
        qEnvironmentVariable("PATH").split(QDir::listSeparator(), Qt::SkipEmptyParts);
    for (const QString &entry : entries) {
        const QFileInfo candidate(current.absoluteFilePath(entry) + u'/' + name);
        if (candidate.isFile() && candidate.isExecutable())
            return QDir::cleanPath(candidate.absoluteFilePath());
    }
    return {};
}
