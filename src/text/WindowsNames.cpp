// SPDX-License-Identifier: MIT
#include "WindowsNames.h"

#include <QStringList>

namespace {

bool forbiddenInWindowsNames(QChar c)
{
    return c.unicode() < 0x20 || c == u':' || c == u'*' || c == u'?' || c == u'<' || c == u'>'
        || c == u'|';
}

} // namespace

QList<WineDrive> defaultWineDrives()
{
    return {{u'Z', QStringLiteral("/")}};
}

WindowsName toWindowsName(const QString &hostName, const QList<WineDrive> &drives)
{
    if (hostName.contains(u'\\'))
        return {{}, WindowsNameFault::Backslash};
    for (const QChar c : hostName)
        if (forbiddenInWindowsNames(c))
            return {{}, WindowsNameFault::ForbiddenCharacter};

    const QStringList parts = hostName.split(u'/', Qt::SkipEmptyParts);
    if (!hostName.startsWith(u'/'))
        return {parts.join(u'\\'), WindowsNameFault::None};

    const WineDrive *best = nullptr;
    qsizetype bestLength = -1;
    for (const WineDrive &drive : drives) {
        const QStringList target = drive.target.split(u'/', Qt::SkipEmptyParts);
        if (!drive.target.startsWith(u'/') || target.size() <= bestLength
            || target.size() > parts.size())
            continue;
        if (std::equal(target.cbegin(), target.cend(), parts.cbegin())) {
            best = &drive;
            bestLength = target.size();
        }
    }
    if (!best)
        return {{}, WindowsNameFault::NoDrive};
    // A drive's root itself becomes "X:\." rather than "X:\", whose final
    // backslash would escape the closing quote on the command line.
    const QString rest = parts.mid(bestLength).join(u'\\');
    return {best->letter.toUpper() + QStringLiteral(":\\") + (rest.isEmpty() ? QStringLiteral(".") : rest),
            WindowsNameFault::None};
}

QString windowsNameFaultText(WindowsNameFault fault)
{
    switch (fault) {
    case WindowsNameFault::None:
        break;
    case WindowsNameFault::Backslash:
        return QStringLiteral("it holds a backslash (\\), which Windows reads as a folder "
                              "separator");
    case WindowsNameFault::ForbiddenCharacter:
        return QStringLiteral("it holds a character that Windows does not allow in names "
                              "(: * ? < > | or a control character)");
    case WindowsNameFault::NoDrive:
        return QStringLiteral("no drive of the Wine prefix leads to it");
    }
    return {};
}
