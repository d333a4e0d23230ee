#include "widgets/RaisedTextPainter.h"

#include "widgets/DrawToImage.h"

#include <QPainter>

void paintRaisedText(QPainter &painter, const RaisedTextLook &look, QSize size)
{
    const QRect area(QPoint(0, 0), size);
    painter.fillRect(area, look.background);
    painter.setFont(look.font);
    const int flags = Qt::AlignCenter | Qt::TextSingleLine | Qt::TextDontClip;
    painter.setPen(look.shadow);
    painter.drawText(area.translated(1, 1), flags, look.caption);
    painter.setPen(look.highlight);
    painter.drawText(area.translated(-1, -1), flags, look.caption);
    painter.setPen(look.textColor);
    painter.drawText(area, flags, look.caption);
}

QImage renderRaisedText(const RaisedTextLook &look, QSize size, qreal devicePixelRatio)
{
    return drawToImage(size, devicePixelRatio, [&](QPainter &painter) { paintRaisedText(painter, look, size); });
}
