// SPDX-License-Identifier: MIT
#include "WindowsNames.h"

#include <QStringList>

namespace {

bool forbiddenInWindowsNames(QChar c)
{
    return c.unicode() < 0x20 || c == u':' || c == u'*' || c == u'?' || c == u'<' || c == u'>'
           || c == u'|';
}

// The first part that a Windows program would take for another file.
WindowsName partFault(const QStringList &parts)
{
    for (const QString &part : parts) {
        if (part == u'.' || part == QLatin1String(".."))
            continue;
        if (isWindowsDeviceName(part))
            return {{}, WindowsNameFault::DeviceName, part};
        if (part.endsWith(u' ') || part.endsWith(u'.'))
            return {{}, WindowsNameFault::TrailingBlankOrDot, part};
    }
    return {};
}

} // namespace

bool isWindowsDeviceName(const QString &part)
{
    QString stem = part.left(part.indexOf(u'.'));
    while (stem.endsWith(u' '))
        stem.chop(1);
    stem = stem.toUpper();
    if (stem == QLatin1String("CON") || stem == QLatin1String("PRN") || stem == QLatin1String("AUX")
        || stem == QLatin1String("NUL"))
        return true;
    const bool port =
        stem.startsWith(QLatin1String("COM")) || stem.startsWith(QLatin1String("LPT"));
    return stem.size() == 4 && port && stem[3] >= u'1' && stem[3] <= u'9';
}

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
    if (!hostName.startsWith(u'/')) {
        const WindowsName fault = partFault(parts);
        if (fault.fault != WindowsNameFault::None)
            return fault;
        return {parts.join(u'\\'), WindowsNameFault::None};
    }

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
    const WindowsName fault = partFault(parts.mid(bestLength));
    if (fault.fault != WindowsNameFault::None)
        return fault;
    // A drive's root itself becomes "X:\." rather than "X:\", whose final
    // backslash would escape the closing quote on the command line.
    const QString rest = parts.mid(bestLength).join(u'\\');
    return {best->letter.toUpper() + QStringLiteral(":\\")
                + (rest.isEmpty() ? QStringLiteral(".") : rest),
            WindowsNameFault::None};
}

QString windowsNameFaultText(WindowsNameFault fault, const QString &part)
{
    switch (fault) {
    case WindowsNameFault::None: break;
    case WindowsNameFault::Backslash:
        return QStringLiteral("it holds a backslash (\\), which Windows reads as a folder "
                              "separator");
    case WindowsNameFault::ForbiddenCharacter:
        return QStringLiteral("it holds a character that Windows does not allow in names "
                              "(: * ? < > | or a control character)");
    case WindowsNameFault::NoDrive:
        return QStringLiteral("no drive of the Wine prefix leads to it");
    case WindowsNameFault::DeviceName:
        return QStringLiteral("its part \"%1\" is a device name for Windows (CON, PRN, AUX, NUL, "
                              "COM1 to COM9, LPT1 to LPT9, whatever follows a dot), so a Windows "
                              "program would use that device instead of a file")
            .arg(part);
    case WindowsNameFault::TrailingBlankOrDot:
        return QStringLiteral("its part \"%1\" ends in a blank or a dot, which Windows drops, so a "
                              "Windows program would use another file or folder")
            .arg(part);
    }
    return {};
}
