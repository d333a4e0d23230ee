#include "widgets/TVrProgressBar.h"

#include "widgets/BgrColor.h"
#include "widgets/ProgressGeometry.h"

#include <QPainter>
#include <algorithm>

TVrProgressBar::TVrProgressBar(QWidget *parent)
    : QWidget(parent)
    , startColor_(colorFromBgr(Bgr::Green))
    , endColor_(colorFromBgr(Bgr::Lime))
    , color_(colorFromBgr(Bgr::Black))
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TVrProgressBar::setState(int min, int max, int position)
{
    if (min == min_ && max == max_ && position == position_)
        return;
    min_ = min;
    max_ = max;
    position_ = position;
    update();
}

void TVrProgressBar::setMinValue(int v)
{
    if (v >= max_)
        return;
    setState(v, max_, std::max(position_, v));
}

void TVrProgressBar::setMaxValue(int v)
{
    if (v <= min_)
        return;
    setState(min_, v, std::min(position_, v));
}

void TVrProgressBar::setPosition(int v)
{
    setState(min_, max_, std::clamp(v, min_, max_));
}

void TVrProgressBar::setColorMember(QColor &member, const QColor &c)
{
    if (member == c)
        return;
    member = c;
    update();
}

void TVrProgressBar::setStartColor(const QColor &c) { setColorMember(startColor_, c); }
void TVrProgressBar::setEndColor(const QColor &c) { setColorMember(endColor_, c); }
void TVrProgressBar::setColor(const QColor &c) { setColorMember(color_, c); }

int TVrProgressBar::filledLength() const
{
    return progressFilledLength(std::max(0, width() - 2), min_, max_, position_);
}

ProgressBarLook TVrProgressBar::look() const
{
    ProgressBarLook l;
    l.minValue = min_;
    l.maxValue = max_;
    l.position = position_;
    l.startColor = startColor_;
    l.endColor = endColor_;
    l.background = color_;
    l.bevelShadow = palette().color(QPalette::Dark);
    l.bevelHighlight = palette().color(QPalette::Light);
    return l;
}

QImage TVrProgressBar::renderImage(qreal devicePixelRatio) const
{
    return renderProgressBar(look(), size(), devicePixelRatio);
}

QSize TVrProgressBar::sizeHint() const
{
    return QSize(737, 15);
}

void TVrProgressBar::paintEvent(QPaintEvent *)
{
    if (width() <= 0 || height() <= 0)
        return;
    const QImage image = renderImage(devicePixelRatioF());
    QPainter painter(this);
    painter.drawImage(QPoint(0, 0), image);
}
