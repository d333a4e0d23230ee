#pragma once
// Embossed text label of the live page (readings and captions). Painted
// off-screen and copied in one step; a caption equal to the one shown
// changes nothing.

#include "widgets/RaisedTextPainter.h"

#include <QColor>
#include <QString>
#include <QWidget>

class TVrLabel : public QWidget {
    Q_OBJECT
public:
    explicit TVrLabel(QWidget *parent = nullptr);
    explicit TVrLabel(const QString &caption, QWidget *parent = nullptr);

    QString Caption() const { return caption_; }
    void setCaption(const QString &text);

    QColor Color() const { return color_; } // background
    void setColor(const QColor &c);
    QColor FontColor() const { return fontColor_; }
    void setFontColor(const QColor &c);
    QColor ColorShadow() const { return shadow_; }
    void setColorShadow(const QColor &c);
    QColor ColorHighlight() const { return highlight_; }
    void setColorHighlight(const QColor &c);

    RaisedTextLook look() const;
    QImage renderImage(qreal devicePixelRatio = 1.0) const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString caption_;
    QColor color_;
    QColor fontColor_;
    QColor shadow_;
    QColor highlight_;
};
