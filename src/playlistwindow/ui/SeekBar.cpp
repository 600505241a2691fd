#include "playlistwindow/ui/SeekBar.h"

#include <QMouseEvent>
#include <QPainter>

SeekBar::SeekBar(QWidget *parent) : QWidget(parent)
{
}

void SeekBar::setMaximum(int maximum)
{
    m_maximum = qMax(0, maximum);
    m_value = qBound(0, m_value, m_maximum);
    update();
}

void SeekBar::setValue(int value)
{
    value = qBound(0, value, m_maximum);
    if (value == m_value)
        return;
    // Redrawn only when the bar moves by a pixel: the main timer sets the
    // value ten times a second.
    const int before = filledWidth();
    m_value = value;
    if (filledWidth() != before)
        update();
}

void SeekBar::setColors(const QColor &bar, const QColor &background)
{
    m_bar = bar;
    m_background = background;
    update();
}

void SeekBar::setSegmented(bool segmented)
{
    m_segmented = segmented;
    update();
}

void SeekBar::setFlat(bool flat)
{
    m_flat = flat;
    update();
}

void SeekBar::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    QRect inner = rect();
    p.fillRect(inner, m_background);
    if (!m_flat) {
        p.setPen(palette().color(QPalette::Dark));
        p.drawLine(inner.topLeft(), inner.topRight());
        p.drawLine(inner.topLeft(), inner.bottomLeft());
        p.setPen(palette().color(QPalette::Light));
        p.drawLine(inner.bottomLeft(), inner.bottomRight());
        p.drawLine(inner.topRight(), inner.bottomRight());
        inner.adjust(1, 1, -1, -1);
    }
    const int filled = filledWidth();
    if (filled <= 0)
        return;
    if (!m_segmented) {
        p.fillRect(QRect(inner.left(), inner.top(), filled, inner.height()), m_bar);
        return;
    }
    // Segments as wide as two thirds of the height, two pixels apart.
    const int segment = qMax(2, inner.height() * 2 / 3);
    for (int x = 0; x < filled; x += segment + 2)
        p.fillRect(QRect(inner.left() + x, inner.top(), qMin(segment, filled - x), inner.height()), m_bar);
}

int SeekBar::filledWidth() const
{
    const int inner = width() - (m_flat ? 0 : 2);
    if (m_maximum <= 0 || m_value <= 0 || inner <= 0)
        return 0;
    return int(qint64(inner) * m_value / m_maximum);
}

void SeekBar::mousePressEvent(QMouseEvent *event)
{
    Q_EMIT pressed(qRound(event->position().x()));
}
