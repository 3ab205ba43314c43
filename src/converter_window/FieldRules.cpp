// SPDX-License-Identifier: MIT
#include "FieldRules.h"

#include <QDir>

namespace {

// The last three characters, or the whole text when shorter.
QStringView lastThree(QStringView text)
{
    return text.size() < 3 ? text : text.right(3);
}

// `wanted` written letter by letter in the case of `replaced`, so that a
// second adaptation gives the first name back.
QString inCaseOf(QStringView wanted, QStringView replaced)
{
    QString ending = wanted.toString();
    for (qsizetype i = 0; i < ending.size() && i < replaced.size(); ++i)
        ending[i] = replaced[i].isUpper() ? ending[i].toUpper() : ending[i].toLower();
    return ending;
}

} // namespace

QString adaptExtension(const QString &text, QStringView wanted, QStringView other, bool ignoreCase)
{
    if (text.isEmpty())
        return text;
    const QString name = ignoreCase ? text.toLower() : text;
    const QStringView ending = lastThree(name);
    if (ending.compare(other, Qt::CaseInsensitive) == 0)
        return name.left(name.size() - ending.size()) + inCaseOf(wanted, ending);
    if (ending.compare(wanted, Qt::CaseInsensitive) != 0)
        return QString();
    return name;
}

QString checkResultName(const QString &text, bool ignoreCase)
{
    if (text.isEmpty())
        return text;
    const QString name = ignoreCase ? text.toLower() : text;
    return lastThree(name).front() == u'_' ? name : QString();
}

bool hasExtension(QStringView name)
{
    return name.indexOf(u'.') >= 1;
}

QString completeName(const QString &name, QStringView extension)
{
    return hasExtension(name) ? name : name + extension.toString();
}

QString deriveWorkDir(const QString &exeFolder, bool ignoreCase)
{
    const QString upper = exeFolder.toUpper();
    if (upper.startsWith(QLatin1String("C:\\US")) || upper.startsWith(QLatin1String("C:\\SO")))
        return QStringLiteral("c:\\velmora2");
    return ignoreCase ? upper : exeFolder;
}

bool isSharedCopy(const QString &exeFolder, bool writable)
{
    if (!writable)
        return true;
    const QString folder = QDir::cleanPath(exeFolder);
    for (const QLatin1String root : {QLatin1String("/usr"), QLatin1String("/opt")}) {
        if (folder == root || folder.startsWith(root + u'/'))
            return true;
    }
    return false;
}

ConversionMode modeForKeyword(const QString &argumentText)
{
    const QString keyword = argumentText.toUpper();
    if (keyword == QLatin1String("TIMTOWAV"))
        return ConversionMode::TimWav;
    if (keyword == QLatin1String("WAVTOTIM"))
        return ConversionMode::WavTim;
    if (keyword == QLatin1String("BKTOTIM"))
        return ConversionMode::BkTim;
    if (keyword == QLatin1String("VELMTOTIM"))
        return ConversionMode::VelmTim;
    return ConversionMode::VelmWav;
}
