// SPDX-License-Identifier: MIT
#include "RegularFile.h"

#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

QString folderReason()
{
    return QStringLiteral("it is a folder, not a file");
}

QString nulReason()
{
    return QStringLiteral("its name holds a NUL character, which no file name can hold");
}

QString cannotOpen(const QString &reason)
{
    return QStringLiteral("it cannot be opened (%1)").arg(reason);
}

} // namespace

QString notOrdinaryFileReason()
{
    return QStringLiteral("it is not an ordinary file but a pipe, a device or a socket");
}

QString regularFileNameProblem(const QString &fileName)
{
    if (fileName.contains(QChar(0)))
        return nulReason();
    const QFileInfo info(fileName);
    if (info.isDir())
        return folderReason();
    if (info.exists() && !info.isFile())
        return notOrdinaryFileReason();
    return QString();
}

QString openRegularFile(QFile &file, const QString &fileName)
{
#ifdef Q_OS_UNIX
    if (fileName.contains(QChar(0)))
        return nulReason();
    const int fd =
        ::open(QFile::encodeName(fileName).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return cannotOpen(qt_error_string(errno));
    struct stat status = {};
    if (::fstat(fd, &status) != 0) {
        const QString reason = cannotOpen(qt_error_string(errno));
        ::close(fd);
        return reason;
    }
    if (!S_ISREG(status.st_mode)) {
        ::close(fd);
        return S_ISDIR(status.st_mode) ? folderReason() : notOrdinaryFileReason();
    }
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return cannotOpen(file.errorString());
    }
    return QString();
#else
    const QString problem = regularFileNameProblem(fileName);
    if (!problem.isEmpty())
        return problem;
    file.setFileName(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return cannotOpen(file.errorString());
    return QString();
#endif
}
