// SPDX-License-Identifier: MIT
#include "BandModel.h"

#include <algorithm>
#include <cmath>
#include <limits>

double BandModel::PositionToGain(qint16 position) const
{
    const qint16 fromBottom = qint16(position + 10000);
    const double gain = double(rangeBottom)
                        + (double(rangeTop) - double(rangeBottom)) * (double(fromBottom) / 20000.0);
    return std::clamp(gain, double(rangeBottom), double(rangeTop));
}

qint16 BandModel::GainToPosition(double gain) const
{
    const float width = rangeTop - rangeBottom;
    double position = 20000.0 * (gain - double(rangeBottom)) / double(width) - 10000.0;
    // A gain is never outside the range for long, but a range end stored in
    // single precision can fall a hair inside a double gain.
    if (!(position >= PositionMin))
        position = PositionMin;
    if (position > PositionMax)
        position = PositionMax;
    return qint16(std::nearbyint(position)); // default rounding mode: halves to even
}

void BandModel::widenRange(double gain)
{
    if (gain > rangeTop)
        rangeTop = toSingle(gain);
    if (gain < rangeBottom)
        rangeBottom = toSingle(gain);
}

float plotY(qint16 position)
{
    const qint16 fromBottom = qint16(position + 10000);
    return float(3240.0 - (double(fromBottom) / 20000.0) * 2940.0);
}

float toSingle(double value)
{
    constexpr double largest = std::numeric_limits<float>::max();
    if (value > largest)
        return std::numeric_limits<float>::infinity();
    if (value < -largest)
        return -std::numeric_limits<float>::infinity();
    return float(value);
}
