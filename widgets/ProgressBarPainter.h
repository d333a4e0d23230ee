#pragma once
// Paints the segmented progress bar: black fill, a one-pixel lowered bevel,
// then the blocks of the filled length cut from a gradient that spans the
// whole bar.

#include <QColor>
#include <QImage>
#include <QSize>

class QPainter;

struct ProgressBarLook {
    int minValue = 0;
    int maxValue = 20;
    int position = 20;
    QColor startColor;
    QColor endColor;
    QColor background;
    QColor bevelShadow;    // top and left edges
    QColor bevelHighlight; // bottom and right edges
};

void paintProgressBar(QPainter &painter, const ProgressBarLook &look, QSize size);

QImage renderProgressBar(const ProgressBarLook &look, QSize size, qreal devicePixelRatio);
