// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

/// Splits a Windows command-line text into the program name and its
/// arguments, as a started Windows program sees them.
///
/// The program name (first element) follows the rules Windows applies to it:
/// leading blanks are skipped, double quotes group and are dropped, and there
/// are no backslash escapes. The arguments follow the Microsoft C runtime
/// (the Universal CRT of Visual C++ 2015 and later, which also the converters
/// use): blanks and tabs separate arguments; double quotes group and are
/// dropped; 2n backslashes before a quote give n backslashes and the quote
/// groups, 2n+1 give n backslashes and a literal quote; backslashes not
/// before a quote are literal; inside a quoted part, "" gives a literal quote
/// and the part stays quoted. "" alone gives an empty argument; blanks at the
/// end give none. An empty or blank text gives an empty list.
QStringList splitWindowsCommandLine(QStringView commandLine);

/// True when `name`, written as "name" on a Windows command line, comes back
/// from splitWindowsCommandLine() as exactly itself: false when it contains a
/// double quote or ends in a backslash (which would escape the closing quote).
bool survivesWindowsQuoting(const QString &name);

/// `text` inside double quotes, as messages name files and programs.
inline QString doubleQuoted(const QString &text)
{
    return u'"' + text + u'"';
}
