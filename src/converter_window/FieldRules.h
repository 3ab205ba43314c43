// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringView>

/// The conversion modes, in the order the launch tests them.
enum class ConversionMode { TimWav, WavTim, BkTim, VelmTim, VelmWav };

/// Adapts a file name to the ending a mode wants: an ending equal to `other`
/// ("wav" or "tim") is replaced by `wanted`, any ending but `wanted` clears
/// the name, "" stays "". Only the last three characters count, compared
/// without regard to case. Where file names ignore case the whole name is
/// lower-cased; elsewhere it keeps its letters and a replaced ending takes
/// the letter case of the ending it replaces ("Room.Wav" gives "Room.Tim"),
/// so that adapting back gives the same name.
QString adaptExtension(const QString &text, QStringView wanted, QStringView other, bool ignoreCase);

/// Keeps a simulation result name (its third-last character is "_") and
/// clears any other; lower-cased where file names ignore case.
QString checkResultName(const QString &text, bool ignoreCase);

/// True when the name's first "." stands at its second character or later;
/// a leading "." and a name without "." give false. A "." in a folder name
/// counts too.
bool hasExtension(QStringView name);

/// `name` with `extension` appended when it has none.
QString completeName(const QString &name, QStringView extension);

/// The working folder derived from the executable's folder: "c:\velmora2"
/// when the upper-cased folder starts with "C:\US" or "C:\SO"; otherwise the
/// folder itself, upper-cased where file names ignore case.
QString deriveWorkDir(const QString &exeFolder, bool ignoreCase);

/// True for a copy of the program installed for all users on a host other
/// than Windows: its folder lies below /usr or /opt, or the user may not
/// write it (`writable` false). Its working folder is then not its own.
bool isSharedCopy(const QString &exeFolder, bool writable);

/// The mode a start-up keyword selects: the whole text, upper-cased, equal to
/// "TIMTOWAV", "WAVTOTIM", "BKTOTIM", "VELMTOTIM" or "VELMTOWAV"; any other
/// text (or none) selects the simulation results → .WAV mode.
ConversionMode modeForKeyword(const QString &argumentText);
