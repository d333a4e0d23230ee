#include "widgets/TVrProgressBar.h"

#include "core/AssignIfChanged.h"
#include "widgets/BgrColor.h"
#include "widgets/DrawToImage.h"
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
    // The bar draws only its filled length: a download moves the position
    // after every record, the drawing only every hundredth of the range.
    const int drawnBefore = filledLength();
    min_ = min;
    max_ = max;
    position_ = position;
    if (filledLength() != drawnBefore)
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

void TVrProgressBar::setStartColor(const QColor &c)
{
    assignIfChanged(startColor_, c, [this] { update(); });
}
void TVrProgressBar::setEndColor(const QColor &c)
{
    assignIfChanged(endColor_, c, [this] { update(); });
}
void TVrProgressBar::setColor(const QColor &c)
{
    assignIfChanged(color_, c, [this] { update(); });
}

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
    paintRendered(*this, [this](qreal devicePixelRatio) { return renderImage(devicePixelRatio); });
}
