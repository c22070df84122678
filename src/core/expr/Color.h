// Colours as the graph file and the drawing code store them.
#pragma once

#include <cstdint>

// A colour: red in the lowest byte, then green, then blue; highest byte 0.
using COLORREF = std::uint32_t;

constexpr COLORREF MakeRgb(std::uint8_t nRed, std::uint8_t nGreen, std::uint8_t nBlue)
{
    return static_cast<COLORREF>(nRed) | (static_cast<COLORREF>(nGreen) << 8) |
           (static_cast<COLORREF>(nBlue) << 16);
}
constexpr std::uint8_t ColorRed(COLORREF cr)
{
    return static_cast<std::uint8_t>(cr & 0xFF);
}
constexpr std::uint8_t ColorGreen(COLORREF cr)
{
    return static_cast<std::uint8_t>((cr >> 8) & 0xFF);
}
constexpr std::uint8_t ColorBlue(COLORREF cr)
{
    return static_cast<std::uint8_t>((cr >> 16) & 0xFF);
}
