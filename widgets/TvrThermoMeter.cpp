#include "widgets/TvrThermoMeter.h"

#include "widgets/BgrColor.h"

#include <QPainter>

TvrThermoMeter::TvrThermoMeter(QWidget *parent)
    : QWidget(parent)
    , colorBefore_(colorFromBgr(Bgr::Blue))
    , colorAfter_(colorFromBgr(Bgr::Navy))
    , color_(colorFromBgr(Bgr::GaugeBackground))
    , fontColor_(colorFromBgr(Bgr::Black))
{
    setFont(defaultThermoFont());
    // The whole surface is painted every time.
    setAttribute(Qt::WA_OpaquePaintEvent);
    const auto repaint = [this] { changed(); };
    scale_.setOnChanged(repaint);
    setPoint_.setOnChanged(repaint);
    peakMin_.setOnChanged(repaint);
    peakMax_.setOnChanged(repaint);
    value_.setOnChanged(repaint);
}

void TvrThermoMeter::changed()
{
    update();
}

void TvrThermoMeter::setColorBefore(const QColor &c)
{
    if (c != colorBefore_) {
        colorBefore_ = c;
        changed();
    }
}

void TvrThermoMeter::setColorAfter(const QColor &c)
{
    if (c != colorAfter_) {
        colorAfter_ = c;
        changed();
    }
}

void TvrThermoMeter::setColor(const QColor &c)
{
    if (c != color_) {
        color_ = c;
        changed();
    }
}

void TvrThermoMeter::setFontColor(const QColor &c)
{
    if (c != fontColor_) {
        fontColor_ = c;
        changed();
    }
}

ThermoLook TvrThermoMeter::look() const
{
    ThermoLook l;
    l.scale.min = scale_.Min();
    l.scale.max = scale_.Max();
    l.scale.step = scale_.Step();
    l.scale.smallStep = scale_.SmallStep();
    l.scale.offset = scale_.Offset();
    l.scale.heightMax = scale_.HeightMax();
    l.scale.heightMin = scale_.HeightMin();
    l.tickColor = scale_.Color();
    l.formatText = scale_.FormatText();
    l.decimals = scale_.Decimals();
    l.scaleVisible = scale_.Visible();
    l.colorBefore = colorBefore_;
    l.colorAfter = colorAfter_;
    l.background = color_;
    l.font = font();
    l.fontColor = fontColor_;
    l.value = value_.Value();
    return l;
}

QImage TvrThermoMeter::renderImage(qreal devicePixelRatio) const
{
    return renderThermoMeter(look(), size(), devicePixelRatio);
}

QSize TvrThermoMeter::sizeHint() const
{
    return QSize(100, 245);
}

void TvrThermoMeter::paintEvent(QPaintEvent *)
{
    if (width() <= 0 || height() <= 0)
        return;
    const QImage image = renderImage(devicePixelRatioF());
    QPainter painter(this);
    painter.drawImage(QPoint(0, 0), image);
}
