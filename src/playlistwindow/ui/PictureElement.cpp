#include "playlistwindow/ui/PictureElement.h"

#include "core/ui/SkinPainting.h"

#include <QPainter>

PictureElement::PictureElement(QWidget *parent) : QWidget(parent)
{
    setMouseTracking(true);
    setAttribute(Qt::WA_TranslucentBackground);
}

void PictureElement::setImage(const QImage &image)
{
    m_image = image;
    update();
}

void PictureElement::paintEvent(QPaintEvent *)
{
    if (m_image.isNull())
        return;
    QPainter p(this);
    drawSkinImage(p, QPoint(0, 0), m_image);
}
