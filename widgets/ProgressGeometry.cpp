#include "widgets/ProgressGeometry.h"

#include <algorithm>
#include <cstdint>

int progressPercent(int min, int max, int position)
{
    const int64_t range = int64_t(max) - min;
    if (range == 0)
        return 0;
    return int((int64_t(position) - min) * 100 / range);
}

int progressFilledLength(int innerWidth, int min, int max, int position)
{
    return int(int64_t(innerWidth) * progressPercent(min, max, position) / 100);
}

int progressBlockWidth(int innerHeight)
{
    return std::max(1, innerHeight * 2 / 3 - 2);
}

QList<ProgressBlock> progressBlocks(int innerWidth, int innerHeight, int filledLength)
{
    QList<ProgressBlock> blocks;
    const int width = progressBlockWidth(innerHeight);
    const int pitch = width + 2;
    const int limit = std::min(filledLength, innerWidth);
    for (int left = 1; left < limit; left += pitch)
        blocks.append(ProgressBlock{left, std::min(left + width, innerWidth)});
    return blocks;
}

QColor progressGradientColor(const QColor &start, const QColor &end, int column, int innerWidth)
{
    if (innerWidth <= 1)
        return start;
    column = std::clamp(column, 0, innerWidth - 1);
    const auto mix = [&](int a, int b) { return a + (b - a) * column / (innerWidth - 1); };
    return QColor(mix(start.red(), end.red()), mix(start.green(), end.green()), mix(start.blue(), end.blue()));
}
