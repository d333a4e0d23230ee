#include "widgets/ThermoGeometry.h"

#include <cmath>
#include <limits>

int roundHalfEven(double v)
{
    if (std::isnan(v))
        return 0;
    constexpr double lo = std::numeric_limits<int>::min();
    constexpr double hi = std::numeric_limits<int>::max();
    if (v <= lo)
        return std::numeric_limits<int>::min();
    if (v >= hi)
        return std::numeric_limits<int>::max();
    const double down = std::floor(v);
    const double frac = v - down;
    double r;
    if (frac > 0.5)
        r = down + 1;
    else if (frac < 0.5)
        r = down;
    else
        r = std::fmod(down, 2.0) == 0.0 ? down : down + 1;
    return int(r);
}

int thermoHeight(const ThermoScaleGeometry &s, int height, double v)
{
    const int o = s.offset;
    if (s.max == s.min)
        return 0;
    if (v > s.max)
        return height - o;
    if (v < s.min || std::isnan(v))
        return o;
    const double length = height - 2 * o;
    return o + roundHalfEven((v - s.min) * length / (s.max - s.min));
}

int thermoRow(const ThermoScaleGeometry &s, int height, double v)
{
    return height - thermoHeight(s, height, v);
}

int tubeCenterX(int width)
{
    const int x = width / 2;
    return x % 2 != 0 ? x + 1 : x;
}

int tubeWidth(int offset)
{
    const int t = offset / 3;
    return t % 2 != 0 ? t + 1 : t;
}

int bandLeft(int x, int bandWidth)
{
    return x - bandWidth / 2;
}

int tickStartX(const ThermoScaleGeometry &s, int width)
{
    return width / 2 - s.heightMin + s.offset;
}

int labelStartX(const ThermoScaleGeometry &s, int width)
{
    return tickStartX(s, width) + s.heightMax;
}

int innerMarkCount(double min, double max, double spacing)
{
    if (!(spacing > 0.0))
        return 0;
    const double marks = std::trunc((max - min) / spacing);
    if (!(marks >= 2.0) || marks - 1.0 > maxInnerMarks)
        return 0;
    return int(marks) - 1;
}

QList<int> shortTickRows(const ThermoScaleGeometry &s, int height)
{
    QList<int> rows;
    const int n = innerMarkCount(s.min, s.max, s.smallStep);
    rows.reserve(n);
    for (int k = 1; k <= n; ++k)
        rows.append(thermoRow(s, height, s.min + k * s.smallStep));
    return rows;
}

QList<int> longTickRows(const ThermoScaleGeometry &s, int height)
{
    QList<int> rows;
    const int n = innerMarkCount(s.min, s.max, s.step);
    rows.reserve(n + 2);
    rows.append(height - s.offset);
    for (int k = 1; k <= n; ++k)
        rows.append(thermoRow(s, height, s.min + k * s.step));
    rows.append(s.offset);
    return rows;
}

QList<double> labelValues(const ThermoScaleGeometry &s)
{
    QList<double> values;
    const int n = innerMarkCount(s.min, s.max, s.step);
    values.reserve(n + 2);
    values.append(s.min);
    values.append(s.max);
    for (int k = 1; k <= n; ++k)
        values.append(s.min + k * s.step);
    return values;
}

int labelRow(const ThermoScaleGeometry &s, int height, double value, bool isMinimum, bool isMaximum)
{
    if (isMinimum)
        return height - s.offset;
    if (isMaximum)
        return s.offset;
    return thermoRow(s, height, value);
}

int labelTop(int tickRow, int textHeight, bool isMinimum)
{
    const int half = textHeight / 2;
    return isMinimum ? tickRow + half - textHeight : tickRow - half;
}

QRect bulbRect(const ThermoScaleGeometry &s, int width, int height)
{
    const int left = width / 2 - s.offset / 2;
    const int right = width / 2 + s.offset / 2;
    return QRect(QPoint(left, height - s.offset), QSize(right - left, s.offset));
}

QPolygon bulbHighlightTriangle(const QRect &bulb)
{
    const int left = bulb.x();
    const int top = bulb.y();
    const int bottom = bulb.y() + bulb.height();
    QPolygon triangle;
    triangle << QPoint(left, top) << QPoint(left, bottom) << QPoint(left + bulb.width() / 2, top);
    return triangle;
}

QRect bulbDotRect(const QRect &bulb, int offset)
{
    const int size = offset / 20 + 3;
    const int dx = roundHalfEven(bulb.width() / 4.0);
    const int dy = roundHalfEven(bulb.height() / 4.0);
    return QRect(bulb.x() + dx, bulb.y() + dy, size, size);
}

RowSpan fillRows(const ThermoScaleGeometry &s, int height, double v)
{
    const int from = thermoRow(s, height, v);
    const int to = height - s.offset;
    return from <= to ? RowSpan{from, to} : RowSpan{to, from};
}

RowSpan tubeRows(const ThermoScaleGeometry &s, int height)
{
    return RowSpan{s.offset, height - s.offset};
}
