#pragma once
// The embossed caption of the gauge family's label: the rectangle filled
// with the background, the text centred, drawn at (+1,+1) in the shadow
// colour, at (-1,-1) in the highlight colour and then in place in the text
// colour.

#include <QColor>
#include <QFont>
#include <QImage>
#include <QSize>
#include <QString>

class QPainter;

struct RaisedTextLook {
    QString caption;
    QFont font;
    QColor background;
    QColor textColor;
    QColor shadow;
    QColor highlight;
};

void paintRaisedText(QPainter &painter, const RaisedTextLook &look, QSize size);

// The label as an image of `size` logical pixels at the given pixel ratio.
QImage renderRaisedText(const RaisedTextLook &look, QSize size, qreal devicePixelRatio);
