// SPDX-License-Identifier: MIT
#pragma once

#include "ConverterCommand.h"
#include "NumberFormat.h"

#include <QString>

/// What "OK - Convert!" reads at the moment of the click.
struct LaunchInput
{
    QString wav, timLeft, timRight, expSpl;
    bool stereo = false;
    bool irMode = true;
    bool opt44 = false, opt48 = false, optBin = false;
    bool forcePink = false;    ///< the force-pink switch is on
    bool octaveFilter = false; ///< the octave-filter switch is on
    QString filterFileName;
    bool modeTimWav = false, modeWavTim = false, modeBkTim = false;
    bool modeVelmTim = false, modeVelmWav = false;
    NumberSymbols symbols;
};

/// The completed names and the converter's command line.
struct LaunchPlan
{
    QString wav, timLeft, timRight; ///< the fields after completion
    ConverterCommand command;       ///< no pieces when no mode is selected
    /// A name that cannot be passed inside double quotes (it holds a quote or
    /// a NUL character, or ends in a backslash, so the converter would receive
    /// other arguments), as its field holds it (before completion); "" when
    /// every name can be passed.
    QString unsafeName;
};

/// The regional-settings test made at every conversion: the grouping symbol
/// must be "," and the decimal symbol ".".
bool regionalSettingsCompatible(const NumberSymbols &symbols);

/// True when a required file name is exactly empty: `Wav`, `TimLeft`, and
/// `TimRight` when stereo is selected.
bool requiredNamesMissing(const LaunchInput &input);

/// Completes extension-less names and builds the command line of the mode
/// blocks that are set, in their fixed order, the last one winning.
LaunchPlan buildLaunch(const LaunchInput &input);
