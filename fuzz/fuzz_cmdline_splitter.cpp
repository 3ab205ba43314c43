// SPDX-License-Identifier: MIT
// Splits any text by the Windows rules: only blanks give no parts, and names cut
// from the text at U+0001, quoted one after the other as a launch writes them,
// come back exactly and in order where they claim to survive quoting.
#include "FuzzCheck.h"
#include "WinCommandLine.h"

#include <QString>
#include <QStringList>

#include <algorithm>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    FUZZ_CHECK(splitWindowsCommandLine(text).isEmpty()
               == std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c == u' ' || c == u'\t'; }));

    QString built = QStringLiteral("X.EXE");
    QStringList expected{built};
    for (const QString &name : text.split(QChar(1))) {
        if (survivesWindowsQuoting(name)) {
            built += QStringLiteral(" \"") + name + u'"';
            expected << name;
        }
    }
    FUZZ_CHECK(splitWindowsCommandLine(built) == expected);
    return 0;
}
