// SPDX-License-Identifier: MIT
// Splits any text by the Windows rules, and checks that a name that claims
// to survive quoting comes back from a converter line exactly as given.
#include "FuzzCheck.h"
#include "WinCommandLine.h"

#include <QString>
#include <QStringList>

#include <algorithm>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));

    const QStringList parts = splitWindowsCommandLine(text);
    const bool blank = std::all_of(text.cbegin(), text.cend(),
                                   [](QChar c) { return c == u' ' || c == u'\t'; });
    FUZZ_CHECK(parts.isEmpty() == blank);
    // Nothing is invented: every part is at most as long as the line.
    for (const QString &part : parts)
        FUZZ_CHECK(part.size() <= text.size());

    if (survivesWindowsQuoting(text)) {
        const QStringList line = splitWindowsCommandLine(QStringLiteral("X.EXE \"") + text + u'"');
        FUZZ_CHECK(line == (QStringList{QStringLiteral("X.EXE"), text}));
    }

    // Several names, cut at U+0001, quoted one after the other as a launch
    // writes them: those that survive come back in order.
    QString built = QStringLiteral("X.EXE");
    QStringList expected{QStringLiteral("X.EXE")};
    for (const QString &name : text.split(QChar(1))) {
        if (!survivesWindowsQuoting(name))
            continue;
        built += QStringLiteral(" \"") + name + u'"';
        expected << name;
    }
    FUZZ_CHECK(splitWindowsCommandLine(built) == expected);
    return 0;
}
