// World to device coordinates. Every drawing of the plot (grid, axes, curves)
// and the mouse read-out go through these, so that a world point lands on the
// same device unit everywhere. Inline: the curve drawing maps every sample.
#pragma once

#include <cmath>
#include <cstdint>

// Truncates toward zero to a 64-bit integer and keeps its low 32 bits as a
// signed value. NaN, the infinities and magnitudes of 2^63 or more give 0,
// which lies outside every plot area.
inline std::int32_t TruncateToDevice(double dValue)
{
    // 2^63 is the first magnitude an int64 cannot hold; the negated test also
    // catches NaN.
    constexpr double kLimit = 9223372036854775808.0;
    if (!(std::fabs(dValue) < kLimit))
    {
        return 0;
    }
    const auto nWide = static_cast<std::int64_t>(dValue); // truncates toward zero
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(nWide)));
}

// (x - xmin) * width / (xmax - xmin) + left, evaluated in this order.
inline double MapXUnrounded(double x, double dXMin, double dXMax, std::int32_t nLeft,
                            std::int32_t nWidth)
{
    return (x - dXMin) * nWidth / (dXMax - dXMin) + nLeft;
}

// top + height - (y - ymin) * height / (ymax - ymin), evaluated in this order.
inline double MapYUnrounded(double y, double dYMin, double dYMax, std::int32_t nTop,
                            std::int32_t nHeight)
{
    // top + height in 64 bits: an odd rectangle must not overflow.
    const double dBottom = static_cast<double>(static_cast<std::int64_t>(nTop) + nHeight);
    return dBottom - (y - dYMin) * nHeight / (dYMax - dYMin);
}

inline std::int32_t MapX(double x, double dXMin, double dXMax, std::int32_t nLeft,
                         std::int32_t nWidth)
{
    return TruncateToDevice(MapXUnrounded(x, dXMin, dXMax, nLeft, nWidth));
}

inline std::int32_t MapY(double y, double dYMin, double dYMax, std::int32_t nTop,
                         std::int32_t nHeight)
{
    return TruncateToDevice(MapYUnrounded(y, dYMin, dYMax, nTop, nHeight));
}
