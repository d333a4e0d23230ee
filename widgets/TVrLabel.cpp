#include "widgets/TVrLabel.h"

#include "widgets/BgrColor.h"

#include <QFontMetrics>
#include <QPainter>

TVrLabel::TVrLabel(QWidget *parent)
    : TVrLabel(QString(), parent)
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
    if (text == caption_)
        return;
    caption_ = text;
    update();
}

void TVrLabel::setColorMember(QColor &member, const QColor &c)
{
    if (member == c)
        return;
    member = c;
    update();
}

void TVrLabel::setColor(const QColor &c) { setColorMember(color_, c); }
void TVrLabel::setFontColor(const QColor &c) { setColorMember(fontColor_, c); }
void TVrLabel::setColorShadow(const QColor &c) { setColorMember(shadow_, c); }
void TVrLabel::setColorHighlight(const QColor &c) { setColorMember(highlight_, c); }

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
    if (width() <= 0 || height() <= 0)
        return;
    const QImage image = renderImage(devicePixelRatioF());
    QPainter painter(this);
    painter.drawImage(QPoint(0, 0), image);
}
