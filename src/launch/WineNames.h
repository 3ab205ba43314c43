// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

#include <optional>

/// The host name `name` written so that a Windows program, which resolves
/// ".." on the text, opens the file Linux means: the part up to its last ".."
/// is resolved through the real folders and the rest kept. A relative name
/// stays relative where the result lies below `currentFolder` (a physical
/// path, as getcwd gives it) and is made absolute otherwise. A name without
/// ".." comes back unchanged; nothing when the folder up to its last ".."
/// does not exist.
std::optional<QString> resolveParentSteps(const QString &name, const QString &currentFolder);

/// The ANSI code page that Wine gives a Windows program without a UTF-8
/// manifest under the locale `locale` (the first of LC_ALL, LC_CTYPE and
/// LANG that is set), which is `installed` or not: from its language (and
/// for Chinese its country); 1252 for English, "C", "POSIX", an unknown
/// language and a locale that is not installed.
int wineCodePage(const QString &locale, bool installed);

/// The locale whose code page Wine takes, as the environment names it.
QString wineLocaleName();

/// Whether the C library can load the locale `locale` (LOCPATH included).
bool localeInstalled(const QString &locale);

/// The characters of `text` that do not come back unchanged through the
/// code page `codePage` (a Windows program would see another letter or "?"
/// there), each once, in their order; "" for UTF-8 (65001) and for a code
/// page this computer cannot convert to.
QString charactersOutsideCodePage(const QString &text, int codePage);
