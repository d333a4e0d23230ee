#pragma once
// The scale of a thermometer gauge: value range, tick spacing and lengths,
// label format, tick colour. Defaults are the values the live page uses.
// The scale is linear, the tube vertical with its minimum at the bottom, and
// ticks and labels lie to the right of the tube. Visible false leaves out
// tube, ticks and labels (the bulb stays).

#include "widgets/BgrColor.h"
#include "widgets/ChangeNotifier.h"

#include <QColor>
#include <QString>

class TvrThermoMeterScale : public ChangeNotifier {
public:
    TvrThermoMeterScale() = default;

    double Min() const { return min_; }
    double Max() const { return max_; }
    double Step() const { return step_; }
    double SmallStep() const { return smallStep_; }
    int Offset() const { return offset_; }
    int HeightMax() const { return heightMax_; }
    int HeightMin() const { return heightMin_; }
    QColor Color() const { return color_; }
    QString FormatText() const { return formatText_; }
    int Decimals() const { return decimals_; }
    bool Visible() const { return visible_; }

    void setMin(double v) { assign(min_, v); }
    void setMax(double v) { assign(max_, v); }
    void setStep(double v) { assign(step_, v); }
    void setSmallStep(double v) { assign(smallStep_, v); }
    void setOffset(int v) { assign(offset_, v); }
    void setHeightMax(int v) { assign(heightMax_, v); }
    void setHeightMin(int v) { assign(heightMin_, v); }
    void setColor(const QColor &v) { assign(color_, v); }
    void setFormatText(const QString &v) { assign(formatText_, v); }
    void setDecimals(int v) { assign(decimals_, v); }
    void setVisible(bool v) { assign(visible_, v); }

private:
    double min_ = -20.0;
    double max_ = 100.0;
    double step_ = 20.0;
    double smallStep_ = 4.0;
    int offset_ = 20;
    int heightMax_ = 14;
    int heightMin_ = 8;
    QColor color_ = colorFromBgr(Bgr::Black);
    QString formatText_ = QStringLiteral("%s");
    int decimals_ = 0;
    bool visible_ = true;
};
