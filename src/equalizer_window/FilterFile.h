// SPDX-License-Identifier: MIT
#pragma once

#include "BandModel.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <limits>

class QIODevice;

/// The contents of a filter file: frequency (Hz) and gain (dB) of each band.
struct FilterBands
{
    std::array<double, BandCount> frequency{};
    std::array<double, BandCount> gain{};
};

/// Largest gain magnitude a filter may hold: beyond it the single-precision
/// range of the sliders would overflow or lose every step. It is 1e30 as
/// single precision holds it (1.0000000150474662e30), so that a range end
/// widened to any gain within it, and every gain a slider gives on that
/// range, is within it too: whatever is read can be saved back.
inline constexpr double MaxFilterGain = double(1e30f);

/// The one limit rule of the reader and the writer: |gain| <= MaxFilterGain.
inline bool gainWithinLimit(double gain)
{
    return gain <= MaxFilterGain && gain >= -MaxFilterGain;
}

/// Longest field the reader accepts; the longest plain decimal text of a
/// double that the writer produces is well below it.
inline constexpr int MaxFilterFieldLength = 400;

/// The reader gives up when the first twenty numbers are not within this
/// many bytes, so a huge file of blanks costs no more than a small one.
inline constexpr qint64 MaxFilterScanBytes = 1 << 20;

/// The plain decimal text (no exponent, "." as the decimal point, no sign)
/// of |value| rounded to 15 significant digits, as short as it reads back
/// to that rounded number: 31.5 gives "31.5", 7.299999999999997 gives "7.3",
/// 1e-7 gives "0.0000001", 1e21 gives "1000000000000000000000". Where the
/// rounded number would pass `limit` it is rounded toward zero instead, so
/// that a value within a limit is written within it. Needs a finite value.
QByteArray filterNumberText(double value, double limit = std::numeric_limits<double>::max());

/// "" when the bands can be written and shown, otherwise what is wrong
/// ("the gain of band 3 is not a finite number"): every value must be
/// finite and every gain within the limit (gainWithinLimit()).
QString checkFilterBands(const FilterBands &bands);

/// The whole file in ASCII: ten lines "<f> <g> \r\n", each number written by
/// filterNumberText() (a gain within MaxFilterGain) and preceded by
/// a blank when it is not negative (-0 included) and by "-" when it is
/// negative, and followed by one blank. Needs bands that pass
/// checkFilterBands().
QByteArray filterFileText(const FilterBands &bands);

/// What reading a filter gave: the bands, or an error text saying what is
/// wrong (without the file name).
struct FilterReadResult
{
    FilterBands bands;
    QString error;
    bool ok() const { return error.isEmpty(); }
};

/// Reads twenty numbers (frequency 1, gain 1, ..., frequency 10, gain 10)
/// from `device`. Fields are separated by any mix of blanks, tabs, commas,
/// carriage returns and line feeds; each field must be one whole number
/// (optional sign, digits with an optional ".", an optional E or D exponent)
/// that fits a double, and every gain must lie within the limit
/// (gainWithinLimit()).
/// Reading stops in the block that holds the twentieth field; what follows
/// is ignored.
FilterReadResult readFilterBands(QIODevice &device);

/// Opens `fileName` and reads it with readFilterBands(). Only an ordinary
/// file (or a symbolic link to one) is read; a pipe, a device or a socket is
/// refused without blocking (see openRegularFile()).
FilterReadResult loadFilterFile(const QString &fileName);

/// Writes filterFileText(bands) to `fileName` through a temporary file in
/// the same folder that replaces the target only when the whole content is
/// on the disk; a symbolic link keeps pointing to the updated file. An
/// existing folder, pipe, device or socket is refused, and so is a name
/// holding a NUL character. Where no temporary file can be made beside an
/// existing file that may be written (a folder the user may not write), the
/// file is written in place, its new size reserved first so that a full
/// disk leaves the old content untouched. Returns "" on success, otherwise
/// what went wrong (without the file name).
QString saveFilterFile(const QString &fileName, const FilterBands &bands);
