#pragma once
// Wet-bulb globe temperature indices, used by the live display and by stored
// records alike. Extended precision; each product is formed first and the
// products are added from left to right.

inline long double indoorIndex(long double wet, long double globe)
{
    return 0.7L * wet + 0.3L * globe; // IBUTGi
}

inline long double outdoorIndex(long double wet, long double globe, long double dry)
{
    return 0.7L * wet + 0.2L * globe + 0.1L * dry; // IBUTGe
}
