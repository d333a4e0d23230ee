#include "widgets/TvrThermoMeter.h"

#include "core/AssignIfChanged.h"
#include "widgets/BgrColor.h"
#include "widgets/DrawToImage.h"

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
    assignIfChanged(colorBefore_, c, [this] { changed(); });
}

void TvrThermoMeter::setColorAfter(const QColor &c)
{
    assignIfChanged(colorAfter_, c, [this] { changed(); });
}

void TvrThermoMeter::setColor(const QColor &c)
{
    assignIfChanged(color_, c, [this] { changed(); });
}

void TvrThermoMeter::setFontColor(const QColor &c)
{
    assignIfChanged(fontColor_, c, [this] { changed(); });
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
    paintRendered(*this, [this](qreal devicePixelRatio) { return renderImage(devicePixelRatio); });
}
