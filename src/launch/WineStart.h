// SPDX-License-Identifier: MIT
#pragma once

#include "ConverterStart.h"
#include "ExecutableKind.h"

#include <QString>

/// A Windows program found at `path` (of kind `kind`, asked for as `name`):
/// what starting it through Wine takes, or why it cannot be. It runs through
/// `wine` on PATH (a 64-bit one through that Wine's own 64-bit loader, where
/// one lies beside it) and Brenvik's starter in `ownFolder`, which gives it
/// the command line exactly; the drives of the Wine prefix (WINEPREFIX, else
/// ~/.wine) are read for the names on that line. Sets `error` when Wine is
/// missing or cannot run a program of that kind, when the starter is missing,
/// and when the program's folder or the current directory cannot be written
/// in Windows form.
FoundProgram throughWine(const QString &name, const QString &path, ExecutableKind kind,
                         const QString &ownFolder);

/// A text as Brenvik's starter takes it: UTF-8 in the "%XX" form of
/// PercentCodec.h, which passes Wine's conversion from the host's character
/// set and its re-quoting unchanged.
QString starterArgument(const QString &text);
