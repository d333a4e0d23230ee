#pragma once
// The one way the widgets paint: the whole surface is drawn into an image of
// the widget's size in device pixels, then the image is put on the screen in
// one go. Drawing into an image keeps the painters testable without a screen
// (tests compare pixels of renderImage()) and the screen free of half-drawn
// frames.

#include <QImage>
#include <QPainter>
#include <QPoint>
#include <QSize>
#include <QSizeF>
#include <QWidget>

#include <utility>

// An image of size (in device-independent pixels) at devicePixelRatio, at
// least one pixel, with draw(QPainter &) run on it.
template <class Draw> QImage drawToImage(QSize size, qreal devicePixelRatio, Draw &&draw)
{
    const QSize pixels = (QSizeF(size) * devicePixelRatio).toSize();
    QImage image(pixels.expandedTo(QSize(1, 1)), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(devicePixelRatio);
    QPainter painter(&image);
    std::forward<Draw>(draw)(painter);
    return image;
}

// A paint event: render(devicePixelRatio) gives the widget's image, which is
// put on the widget. An empty widget paints nothing.
template <class Render> void paintRendered(QWidget &widget, Render &&render)
{
    if (widget.width() <= 0 || widget.height() <= 0)
        return;
    const QImage image = std::forward<Render>(render)(widget.devicePixelRatioF());
    QPainter painter(&widget);
    painter.drawImage(QPoint(0, 0), image);
}
