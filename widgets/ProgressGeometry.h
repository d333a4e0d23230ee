#pragma once
// Geometry of the segmented progress bar, in logical pixels measured from
// the inner edge of its one-pixel frame.

#include <QColor>
#include <QList>

// trunc((position - min) * 100 / (max - min)); 0 for an empty range. Worked
// out in 64 bits, so wide ranges cannot overflow.
int progressPercent(int min, int max, int position);

// The filled length: trunc(innerWidth * percent / 100).
int progressFilledLength(int innerWidth, int min, int max, int position);

// A block of the bar: columns [left, right).
struct ProgressBlock {
    int left = 0;
    int right = 0;
    bool operator==(const ProgressBlock &) const = default;
};

// Width of one block: two thirds of the inner height less one pixel on each
// side (at least one pixel). Blocks stand 2 pixels apart.
int progressBlockWidth(int innerHeight);

// The blocks shown for a filled length: every block that begins before it,
// the last one cut at the bar's right edge.
QList<ProgressBlock> progressBlocks(int innerWidth, int innerHeight, int filledLength);

// The colour of a column of the gradient that spans the whole bar: start at
// column 0, end at column innerWidth - 1, each component interpolated
// linearly (truncated).
QColor progressGradientColor(const QColor &start, const QColor &end, int column, int innerWidth);
