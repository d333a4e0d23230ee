#include "widgets/ThermoPainter.h"

#include "widgets/DrawToImage.h"

#include "widgets/BgrColor.h"
#include "widgets/ScaleLabelText.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>

namespace {

// A vertical band bandWidth pixels wide centred on column x over rows.
void fillBand(QPainter &p, int x, int bandWidth, RowSpan rows, const QColor &color)
{
    if (rows.isEmpty() || bandWidth <= 0)
        return;
    p.fillRect(QRect(bandLeft(x, bandWidth), rows.first, bandWidth, rows.last - rows.first), color);
}

void drawTick(QPainter &p, int x0, int row, int length, const QColor &color)
{
    if (length > 0)
        p.fillRect(QRect(x0, row, length, 1), color);
}

void drawLabels(QPainter &p, const ThermoLook &look, QSize size)
{
    const ThermoScaleGeometry &s = look.scale;
    p.setFont(look.font);
    p.setPen(look.fontColor);
    const QFontMetrics metrics(look.font, p.device());
    const int textHeight = metrics.height();
    const int x = labelStartX(s, size.width());
    const QList<double> values = labelValues(s);
    for (qsizetype i = 0; i < values.size(); ++i) {
        const bool isMinimum = i == 0;
        const bool isMaximum = i == 1;
        const int row = labelRow(s, size.height(), values[i], isMinimum, isMaximum);
        const QString text = scaleLabelText(values[i], look.decimals, look.formatText);
        const QRect box(x, labelTop(row, textHeight, isMinimum), metrics.horizontalAdvance(text), textHeight);
        p.drawText(box, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine | Qt::TextDontClip, text);
    }
}

// An ellipse outline whose 1-pixel stroke stays inside the pixels of box.
QRectF outlineBox(const QRect &box)
{
    return QRectF(box).adjusted(0.5, 0.5, -0.5, -0.5);
}

void drawBulb(QPainter &p, const ThermoLook &look, QSize size)
{
    const QRect bulb = bulbRect(look.scale, size.width(), size.height());
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(QPen(colorFromBgr(Bgr::Gray), 1));
    p.setBrush(look.colorBefore);
    p.drawEllipse(outlineBox(bulb));

    // The light rim on the upper left.
    QPainterPath clip;
    clip.addPolygon(QPolygonF(bulbHighlightTriangle(bulb)));
    clip.closeSubpath();
    p.setClipPath(clip);
    p.setPen(QPen(colorFromBgr(Bgr::White), 1));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(outlineBox(bulb));
    p.setClipping(false);

    p.setPen(Qt::NoPen);
    p.setBrush(colorFromBgr(Bgr::White));
    p.drawEllipse(QRectF(bulbDotRect(bulb, look.scale.offset)));
    p.restore();
}

void drawTube(QPainter &p, const ThermoLook &look, QSize size)
{
    const ThermoScaleGeometry &s = look.scale;
    const int x = tubeCenterX(size.width());
    const int t = tubeWidth(s.offset);
    const RowSpan tube = tubeRows(s, size.height());
    fillBand(p, x, t + 2, tube, colorFromBgr(Bgr::White));
    fillBand(p, x + 1, t, tube, colorFromBgr(Bgr::Gray));
    fillBand(p, x, t, tube, look.colorAfter);
    fillBand(p, x, t, fillRows(s, size.height(), look.value), look.colorBefore);
}

void drawTicks(QPainter &p, const ThermoLook &look, QSize size)
{
    const ThermoScaleGeometry &s = look.scale;
    const int x0 = tickStartX(s, size.width());
    const QList<int> longRows = longTickRows(s, size.height());
    // The bottom long tick first, then the short ones, the inner long ones
    // over them, the top one last.
    drawTick(p, x0, longRows.first(), s.heightMax, look.tickColor);
    for (int row : shortTickRows(s, size.height()))
        drawTick(p, x0, row, s.heightMin, look.tickColor);
    for (qsizetype i = 1; i < longRows.size(); ++i)
        drawTick(p, x0, longRows[i], s.heightMax, look.tickColor);
}

} // namespace

QFont defaultThermoFont()
{
    QFont font(QStringLiteral("Arial"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(13);
    return font;
}

void paintThermoMeter(QPainter &painter, const ThermoLook &look, QSize size)
{
    painter.fillRect(QRect(QPoint(0, 0), size), look.background);
    if (look.scaleVisible)
        drawLabels(painter, look, size);
    drawBulb(painter, look, size);
    if (look.scaleVisible) {
        drawTube(painter, look, size);
        drawTicks(painter, look, size);
    }
}

QImage renderThermoMeter(const ThermoLook &look, QSize size, qreal devicePixelRatio)
{
    return drawToImage(size, devicePixelRatio, [&](QPainter &painter) { paintThermoMeter(painter, look, size); });
}
