// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

/// Name of the octave filter file chosen in the equalizer window; "" when
/// none. The one datum the two windows share: written only by the
/// equalizer window, read by the converter window's octave-filter switch
/// and its launch.
extern QString filterFileName;
