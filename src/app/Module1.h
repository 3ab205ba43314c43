// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

/// Name of the octave filter file chosen in the equalizer window; "" when
/// none. Written only by the equalizer window, read by the converter window.
extern QString filterFileName;
