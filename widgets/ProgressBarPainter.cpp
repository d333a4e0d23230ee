#include "widgets/ProgressBarPainter.h"

#include "widgets/DrawToImage.h"

#include "widgets/ProgressGeometry.h"

#include <QPainter>

void paintProgressBar(QPainter &painter, const ProgressBarLook &look, QSize size)
{
    const int w = size.width();
    const int h = size.height();
    painter.fillRect(QRect(0, 0, w, h), look.background);
    if (w < 2 || h < 2)
        return;

    painter.fillRect(QRect(0, 0, w, 1), look.bevelShadow);
    painter.fillRect(QRect(0, 0, 1, h), look.bevelShadow);
    painter.fillRect(QRect(0, h - 1, w, 1), look.bevelHighlight);
    painter.fillRect(QRect(w - 1, 0, 1, h), look.bevelHighlight);

    const int innerWidth = w - 2;
    const int innerHeight = h - 2;
    if (innerWidth <= 0 || innerHeight <= 0)
        return;
    const int filled = progressFilledLength(innerWidth, look.minValue, look.maxValue, look.position);
    for (const ProgressBlock &block : progressBlocks(innerWidth, innerHeight, filled)) {
        for (int column = block.left; column < block.right; ++column)
            painter.fillRect(QRect(1 + column, 1, 1, innerHeight),
                             progressGradientColor(look.startColor, look.endColor, column, innerWidth));
    }
}

QImage renderProgressBar(const ProgressBarLook &look, QSize size, qreal devicePixelRatio)
{
    return drawToImage(size, devicePixelRatio, [&](QPainter &painter) { paintProgressBar(painter, look, size); });
}
