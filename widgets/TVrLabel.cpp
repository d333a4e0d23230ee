#include "widgets/TVrLabel.h"

#include "core/AssignIfChanged.h"
#include "widgets/BgrColor.h"
#include "widgets/DrawToImage.h"

#include <QFontMetrics>
#include <QPainter>

TVrLabel::TVrLabel(QWidget *parent) : TVrLabel(QString(), parent)
{
}

TVrLabel::TVrLabel(const QString &caption, QWidget *parent)
    : QWidget(parent)
    , caption_(caption)
    , color_(palette().color(QPalette::Button))
    , fontColor_(colorFromBgr(Bgr::Black))
    , shadow_(colorFromBgr(Bgr::Gray))
    , highlight_(colorFromBgr(Bgr::White))
{
    QFont f(QStringLiteral("Arial"));
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(19);
    setFont(f);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TVrLabel::setCaption(const QString &text)
{
    assignIfChanged(caption_, text, [this] { update(); });
}

void TVrLabel::setColor(const QColor &c)
{
    assignIfChanged(color_, c, [this] { update(); });
}
void TVrLabel::setFontColor(const QColor &c)
{
    assignIfChanged(fontColor_, c, [this] { update(); });
}
void TVrLabel::setColorShadow(const QColor &c)
{
    assignIfChanged(shadow_, c, [this] { update(); });
}
void TVrLabel::setColorHighlight(const QColor &c)
{
    assignIfChanged(highlight_, c, [this] { update(); });
}

RaisedTextLook TVrLabel::look() const
{
    return RaisedTextLook{caption_, font(), color_, fontColor_, shadow_, highlight_};
}

QImage TVrLabel::renderImage(qreal devicePixelRatio) const
{
    return renderRaisedText(look(), size(), devicePixelRatio);
}

QSize TVrLabel::sizeHint() const
{
    const QFontMetrics metrics(font());
    // Room for the text and its one-pixel emboss on either side.
    return QSize(metrics.horizontalAdvance(caption_) + 4, metrics.height() + 4);
}

void TVrLabel::paintEvent(QPaintEvent *)
{
    paintRendered(*this, [this](qreal devicePixelRatio) { return renderImage(devicePixelRatio); });
}
