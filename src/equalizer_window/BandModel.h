// SPDX-License-Identifier: MIT
#pragma once

#include <QtGlobal>

#include <array>

/// Number of octave bands of the filter.
inline constexpr int BandCount = 10;

/// The octave filter held by the equalizer window: ten bands (index 0 is
/// the 31.5 Hz band) and the gain range that the band sliders span.
///
/// A slider position runs from -10000 (bottom of the range) to +10000 (top);
/// the two maps below convert between positions and gains in dB.
struct BandModel
{
    static constexpr std::array<double, BandCount> DefaultFrequencies{
        31.5, 63, 125, 250, 500, 1000, 2000, 4000, 8000, 16000};
    static constexpr int PositionMin = -10000;
    static constexpr int PositionMax = 10000;

    std::array<double, BandCount> bandFrequency = DefaultFrequencies; ///< Hz, data only
    std::array<double, BandCount> bandGain{};                         ///< dB
    float rangeBottom = -50.0f;                                       ///< dB at position -10000
    float rangeTop = 50.0f;                                           ///< dB at position +10000

    /// Gain in dB of slider position `position`:
    /// rangeBottom + (rangeTop - rangeBottom) * ((position + 10000) / 20000),
    /// the sum in 16-bit integers, the rest in double precision, kept within
    /// the range (rounding could carry it a hair beyond an end of a range
    /// whose ends lie far apart). Needs rangeTop > rangeBottom.
    double PositionToGain(qint16 position) const;

    /// Slider position of `gain`: 20000 * (gain - rangeBottom) / width - 10000
    /// with the range width taken in single precision, clamped to the
    /// slider's ends and rounded to the nearest integer, halves to even.
    /// Needs rangeTop > rangeBottom.
    qint16 GainToPosition(double gain) const;

    /// Moves a range end out to `gain` where the range does not cover it
    /// yet, as reading a filter does; the range never narrows. The end is
    /// stored in single precision.
    void widenRange(double gain);
};

/// Vertical plot coordinate (twips, 300 at the top of the range, 3240 at its
/// bottom) of a slider position: 3240 - ((position + 10000) / 20000) * 2940,
/// the sum in 16-bit integers, passed on in single precision.
float plotY(qint16 position);

/// `value` in single precision; values beyond the float range become
/// infinities instead of undefined behaviour.
float toSingle(double value);
