#pragma once
// The meter's three temperatures, always held in degrees Celsius; the frame
// writers convert to Fahrenheit when the meter shows that unit.

#include <cmath>

struct Readings {
    double wet = 0.0;
    double dry = 0.0;
    double globe = 0.0;
};

inline double toFahrenheit(double celsius)
{
    return celsius * 9.0 / 5.0 + 32.0;
}
inline double toCelsiusDifference(double fahrenheitDifference)
{
    return fahrenheitDifference * 5.0 / 9.0;
}

// The meter shows tenths of a degree.
inline double roundTenth(double v)
{
    return std::round(v * 10.0) / 10.0 + 0.0;
}
