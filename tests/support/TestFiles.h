// SPDX-License-Identifier: MIT
#pragma once

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

/// Writes `bytes` into the file `name`, making its folder; where asked, its owner may run it. False
/// where any of that failed.
inline bool writeFile(const QString &name, const QByteArray &bytes, bool executable = false)
{
    QFile file(name);
    return QDir().mkpath(QFileInfo(name).path()) && file.open(QIODevice::WriteOnly)
           && file.write(bytes) == bytes.size()
           && (!executable || file.setPermissions(file.permissions() | QFile::ExeOwner));
}

/// The text of `file`; empty where it cannot be read.
inline QString readAll(const QString &file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

/// The lines of `file` that are not empty, such as a stand-in's record; none while there is none.
inline QStringList linesIn(const QString &file)
{
    return readAll(file).split(u'\n', Qt::SkipEmptyParts);
}
