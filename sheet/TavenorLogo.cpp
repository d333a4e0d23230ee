#include "sheet/TavenorLogo.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QStringList>

#include <algorithm>

void paintTavenorLogo(QPainter &painter, const QRectF &rect)
{
    // Designed on a 200 x 60 canvas.
    constexpr double W = 200, H = 60;
    const double s = std::min(rect.width() / W, rect.height() / H);
    if (s <= 0)
        return;
    painter.save();
    painter.translate(rect.center().x() - W * s / 2, rect.center().y() - H * s / 2);
    painter.scale(s, s);
    painter.setRenderHint(QPainter::Antialiasing);

    const QColor ink(0x0b, 0x4f, 0x6c);
    const QColor heat(0xd6, 0x28, 0x28);

    // Background, so gridlines under the picture do not show through.
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    painter.drawRect(QRectF(0, 0, W, H));

    // Thermometer: tube with a bulb, the mercury in red.
    QPainterPath tube;
    tube.addRoundedRect(QRectF(14, 6, 12, 36), 6, 6);
    tube.addEllipse(QPointF(20, 46), 10, 10);
    painter.setBrush(Qt::white);
    painter.setPen(QPen(ink, 2.5));
    painter.drawPath(tube.simplified());
    painter.setPen(Qt::NoPen);
    painter.setBrush(heat);
    painter.drawEllipse(QPointF(20, 46), 6.5, 6.5);
    painter.drawRoundedRect(QRectF(17, 18, 6, 28), 3, 3);
    painter.setPen(QPen(ink, 1.5));
    for (double y : {12.0, 20.0, 28.0, 36.0})
        painter.drawLine(QPointF(28, y), QPointF(33, y));

    // The name and the line beneath, as outlines.
    QFont name;
    name.setFamilies(QStringList{QStringLiteral("Arial"), QStringLiteral("Liberation Sans")});
    name.setBold(true);
    name.setPixelSize(28);
    name.setLetterSpacing(QFont::AbsoluteSpacing, 1.5);
    QPainterPath word;
    word.addText(QPointF(42, 34), name, QStringLiteral("TAVENOR"));
    QFont sub = name;
    sub.setBold(false);
    sub.setPixelSize(10);
    sub.setLetterSpacing(QFont::AbsoluteSpacing, 0.5);
    word.addText(QPointF(43, 50), sub, QStringLiteral("Instrumentos de Medição"));
    painter.setPen(Qt::NoPen);
    painter.setBrush(ink);
    painter.drawPath(word);
    painter.setBrush(heat);
    painter.drawRect(QRectF(42, 39, 150, 2));
    painter.restore();
}
