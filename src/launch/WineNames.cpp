// SPDX-License-Identifier: MIT
#include "WineNames.h"

#include <QFileInfo>
#include <QHash>
#include <QStringList>

#include <clocale>
#include <iconv.h>
#include <locale.h>

std::optional<QString> resolveParentSteps(const QString &name, const QString &currentFolder)
{
    const QStringList parts = name.split(u'/');
    const qsizetype last = parts.lastIndexOf(QStringLiteral(".."));
    if (last < 0)
        return name;
    const bool absolute = name.startsWith(u'/');
    const QString head = parts.mid(0, last + 1).join(u'/');
    // Physically, through the real folders; "" where the folder does not exist.
    const QString real =
        QFileInfo(absolute ? head : currentFolder + u'/' + head).canonicalFilePath();
    if (real.isEmpty())
        return std::nullopt;
    const QString rest = parts.mid(last + 1).join(u'/');
    const QString resolved =
        rest.isEmpty() ? real : (real == u'/' ? QString() : real) + u'/' + rest;
    if (absolute)
        return resolved;
    if (resolved == currentFolder)
        return QStringLiteral(".");
    if (resolved.startsWith(currentFolder + u'/'))
        return resolved.mid(currentFolder.size() + 1);
    return resolved;
}

int wineCodePage(const QString &locale, bool installed)
{
    const QString language = locale.section(u'_', 0, 0).section(u'.', 0, 0).section(u'@', 0, 0);
    const QString country = locale.section(u'_', 1).section(u'.', 0, 0).section(u'@', 0, 0);
    if (!installed)
        return 1252;
    if (language == QLatin1String("zh"))
        return country == QLatin1String("TW") || country == QLatin1String("HK")
                       || country == QLatin1String("MO")
                   ? 950
                   : 936;
    if (language == QLatin1String("sr"))
        return locale.contains(QLatin1String("@latin")) ? 1250 : 1251;
    static const QHash<QString, int> pages = [] {
        QHash<QString, int> table;
        const struct
        {
            int page;
            const char *languages;
        } groups[] = {
            {1250, "cs hu pl ro sk sl hr sq bs"},
            {1251, "ru uk be bg mk kk ky mn tt"},
            {1253, "el"},
            {1254, "tr az uz"},
            {1255, "he"},
            {1256, "ar fa ur"},
            {1257, "et lv lt"},
            {1258, "vi"},
            {874, "th"},
            {932, "ja"},
            {949, "ko"},
        };
        for (const auto &group : groups)
            for (const QString &code : QString::fromLatin1(group.languages).split(u' '))
                table.insert(code, group.page);
        return table;
    }();
    return pages.value(language, 1252);
}

QString wineLocaleName()
{
    for (const char *variable : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const QString value = qEnvironmentVariable(variable);
        if (!value.isEmpty())
            return value;
    }
    return QStringLiteral("C");
}

bool localeInstalled(const QString &locale)
{
    const locale_t loaded =
        newlocale(LC_CTYPE_MASK, locale.toLocal8Bit().constData(), locale_t(nullptr));
    if (loaded == locale_t(nullptr))
        return false;
    freelocale(loaded);
    return true;
}

QString charactersOutsideCodePage(const QString &text, int codePage)
{
    if (codePage == 65001)
        return {};
    const QByteArray name = "CP" + QByteArray::number(codePage);
    const iconv_t to = iconv_open(name.constData(), "UTF-8");
    const iconv_t from = iconv_open("UTF-8", name.constData());
    QString outside;
    const auto convert = [](iconv_t descriptor, QByteArray in) -> std::optional<QByteArray> {
        QByteArray out(in.size() * 4 + 8, '\0');
        char *source = in.data(), *target = out.data();
        size_t left = size_t(in.size()), room = size_t(out.size());
        iconv(descriptor, nullptr, nullptr, nullptr, nullptr);
        if (iconv(descriptor, &source, &left, &target, &room) == size_t(-1))
            return std::nullopt;
        out.truncate(out.size() - qsizetype(room));
        return out;
    };
    if (to != iconv_t(-1) && from != iconv_t(-1)) {
        for (const char32_t c : text.toUcs4()) {
            const QString letter = QString::fromUcs4(&c, 1);
            const QByteArray utf8 = letter.toUtf8();
            const auto encoded = convert(to, utf8);
            const auto back = encoded ? convert(from, *encoded) : std::nullopt;
            if (back != utf8 && !outside.contains(letter))
                outside += letter;
        }
    }
    if (to != iconv_t(-1))
        iconv_close(to);
    if (from != iconv_t(-1))
        iconv_close(from);
    return outside;
}
