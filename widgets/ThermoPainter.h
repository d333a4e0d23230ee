#pragma once
// Paints a thermometer gauge: background, scale labels, bulb, tube with its
// fill, ticks. Everything the picture depends on is in ThermoLook, so the
// same picture can be made for the screen or straight into an image.

#include "widgets/ThermoGeometry.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QSize>
#include <QString>

class QPainter;

struct ThermoLook {
    ThermoScaleGeometry scale;
    QColor tickColor;
    QString formatText;
    int decimals = 0;
    bool scaleVisible = true;
    QColor colorBefore; // bulb and filled tube
    QColor colorAfter;  // empty tube
    QColor background;
    QFont font;
    QColor fontColor;
    double value = 0.0;
};

// The font the gauge's labels use: Arial, 13 pixels high.
QFont defaultThermoFont();

// Paints the gauge on a device whose logical size is `size`.
void paintThermoMeter(QPainter &painter, const ThermoLook &look, QSize size);

// The gauge as an image of `size` logical pixels made at the given pixel
// ratio (sharp on high-density screens).
QImage renderThermoMeter(const ThermoLook &look, QSize size, qreal devicePixelRatio);
