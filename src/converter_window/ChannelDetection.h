// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

class QIODevice;

/// The channel count a RIFF WAVE file gives at byte 22 (16-bit signed,
/// little-endian). Bytes that cannot be read count as 0.
int wavChannelCount(QIODevice &device);

/// True when a B&K 2133 time file has both bytes at 1604 and 1605 non-zero.
/// Bytes that cannot be read count as 0.
bool bkTimeFileIsStereo(QIODevice &device);

/// The same for a named file, opened and closed within the call; a file
/// that cannot be opened, or that is no ordinary file (a pipe, a device: it
/// is never waited for), reads as all zeros.
int wavChannelCount(const QString &fileName);
bool bkTimeFileIsStereo(const QString &fileName);
