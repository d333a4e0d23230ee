#pragma once
// Colours of the gauge family are written the way the instrument's tools
// write them: 24-bit 0x00BBGGRR values, blue in the high byte. QColor takes
// red first, so every such value goes through this one conversion.

#include <QColor>
#include <cstdint>

constexpr uint32_t bgrOf(int red, int green, int blue)
{
    return (uint32_t(blue & 0xFF) << 16) | (uint32_t(green & 0xFF) << 8) | uint32_t(red & 0xFF);
}

inline QColor colorFromBgr(uint32_t bgr)
{
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}

// Named values used by the gauges, labels and progress bar.
namespace Bgr {
constexpr uint32_t Black = 0x000000;
constexpr uint32_t White = 0xFFFFFF;
constexpr uint32_t Gray = 0x808080;
constexpr uint32_t Blue = 0xFF0000;
constexpr uint32_t Navy = 0x800000;
constexpr uint32_t Lime = 0x00FF00;
constexpr uint32_t Green = 0x008000;
constexpr uint32_t Red = 0x0000FF;
constexpr uint32_t Maroon = 0x000080;
constexpr uint32_t GaugeBackground = 0xAAAAAA;
} // namespace Bgr
