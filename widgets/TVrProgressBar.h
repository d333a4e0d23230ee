#pragma once
// Segmented progress bar of the test download. Position always lies within
// [MinValue, MaxValue]; a MaxValue not above MinValue (or a MinValue not
// below MaxValue) is ignored, and moving a limit past Position moves
// Position with it. It repaints only when the filled length it draws changes
// (a new colour or size repaints too).

#include "widgets/ProgressBarPainter.h"

#include <QColor>
#include <QWidget>

class TVrProgressBar : public QWidget {
    Q_OBJECT
public:
    explicit TVrProgressBar(QWidget *parent = nullptr);

    int MinValue() const { return min_; }
    int MaxValue() const { return max_; }
    int Position() const { return position_; }
    void setMinValue(int v);
    void setMaxValue(int v);
    void setPosition(int v);

    QColor StartColor() const { return startColor_; }
    QColor EndColor() const { return endColor_; }
    QColor Color() const { return color_; } // background
    void setStartColor(const QColor &c);
    void setEndColor(const QColor &c);
    void setColor(const QColor &c);

    // Length of the filled part inside the frame, in pixels.
    int filledLength() const;

    ProgressBarLook look() const;
    QImage renderImage(qreal devicePixelRatio = 1.0) const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void setState(int min, int max, int position);

    int min_ = 0;
    int max_ = 20;
    int position_ = 20;
    QColor startColor_;
    QColor endColor_;
    QColor color_;
};
