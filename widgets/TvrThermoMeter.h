#pragma once
// Thermometer gauge of the live page: a vertical tube with a bulb, filled up
// to the current value, with a labelled scale to its right. It paints into
// an off-screen image of its own size and copies that to the screen in one
// step, so it never flickers. Any change of the scale, the markers or the
// colours repaints it; assigning the value already shown does nothing.

#include "widgets/TVrLiniarIndicator.h"
#include "widgets/ThermoPainter.h"
#include "widgets/TvrThermoMeterScale.h"

#include <QColor>
#include <QWidget>

class TvrThermoMeter : public QWidget {
    Q_OBJECT
public:
    explicit TvrThermoMeter(QWidget *parent = nullptr);

    TvrThermoMeterScale &Scale() { return scale_; }
    const TvrThermoMeterScale &Scale() const { return scale_; }

    // Markers; all hidden on the live page, and a hidden marker is not drawn.
    // Value also carries the reading the tube shows.
    TVrLiniarIndicator &SetPoint() { return setPoint_; }
    TVrLiniarIndicator &PeakMin() { return peakMin_; }
    TVrLiniarIndicator &PeakMax() { return peakMax_; }
    TVrLiniarIndicator &Value() { return value_; }
    const TVrLiniarIndicator &Value() const { return value_; }

    // The reading shown, through the Value marker.
    void setValue(double v) { value_.setValue(v); }
    double value() const { return value_.Value(); }

    QColor ColorBefore() const { return colorBefore_; }
    QColor ColorAfter() const { return colorAfter_; }
    QColor Color() const { return color_; }
    void setColorBefore(const QColor &c);
    void setColorAfter(const QColor &c);
    void setColor(const QColor &c);

    // The label font and its colour (Arial 13 pixels, black).
    QColor FontColor() const { return fontColor_; }
    void setFontColor(const QColor &c);

    // Everything the picture depends on, as the painter takes it.
    ThermoLook look() const;

    // The gauge as it would appear, at the given pixel ratio.
    QImage renderImage(qreal devicePixelRatio = 1.0) const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void changed();

    TvrThermoMeterScale scale_;
    TVrLiniarIndicator setPoint_;
    TVrLiniarIndicator peakMin_;
    TVrLiniarIndicator peakMax_;
    TVrLiniarIndicator value_;
    QColor colorBefore_;
    QColor colorAfter_;
    QColor color_;
    QColor fontColor_;
};
