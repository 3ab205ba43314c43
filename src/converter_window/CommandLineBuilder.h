// SPDX-License-Identifier: MIT
#pragma once

#include "Platform.h"
#include "WineNames.h"

#include <QString>

#include <optional>

/// What "OK - Convert!" reads at the moment of the click.
struct LaunchInput
{
    QString wav, timLeft, timRight, expSpl;
    bool stereo = false;
    bool irMode = true;
    bool opt44 = false, opt48 = false, optBin = false;
    bool forcePink = false;     ///< the force-pink switch is on
    bool octaveFilter = false;  ///< the octave-filter switch is on
    QString filterFileName;
    bool modeTimWav = false, modeWavTim = false, modeBkTim = false;
    bool modeVelmTim = false, modeVelmWav = false;
    NumberSymbols symbols;
    /// Set when the converter is a Windows program run through Wine: the
    /// file names go on its line in Windows form, over these drives.
    std::optional<QList<WineDrive>> wineDrives;
};

/// The completed names and the converter's command line.
struct LaunchPlan
{
    QString wav, timLeft, timRight;  ///< the fields after completion
    QString commandLine;             ///< "" when no mode is selected
    QString program;                 ///< the converter the line starts ("ZARVO.EXE")
    /// A name that cannot be passed inside double quotes (it holds a quote or
    /// a NUL character, or ends in a backslash, so the converter would receive
    /// other arguments), as its field holds it (before completion); "" when
    /// every name can be passed.
    QString unsafeName;
    /// A name that cannot be written in Windows form for a converter run
    /// through Wine, as the field holds it, and why; "" when there is none.
    QString untranslatableName;
    WindowsNameFault untranslatableFault = WindowsNameFault::None;
};

/// The regional-settings test made at every conversion: the grouping symbol
/// must be "," and the decimal symbol ".".
bool regionalSettingsCompatible(const NumberSymbols &symbols);

/// True when a required file name is exactly empty: `Wav`, `TimLeft`, and
/// `TimRight` when stereo is selected.
bool requiredNamesMissing(const LaunchInput &input);

/// Completes extension-less names and builds the command line of the mode
/// blocks that are set, in their fixed order, the last one winning. With
/// `wineDrives` set, the names on the line are written in Windows form.
LaunchPlan buildLaunch(const LaunchInput &input);
