#include "settings/ui/LinkLabel.h"

#include <QMouseEvent>

LinkLabel::LinkLabel(QWidget *parent)
    : QLabel(parent)
{
}

void LinkLabel::setLink(const QString &text, const QString &url, std::function<void(const QString &)> open)
{
    setText(text);
    m_url = url;
    m_open = std::move(open);
    QFont f = font();
    f.setUnderline(!url.isEmpty());
    setFont(f);
    setCursor(url.isEmpty() ? Qt::ArrowCursor : Qt::PointingHandCursor);
    setToolTip(url);
    paintLink(false);
}

void LinkLabel::enterEvent(QEnterEvent *)
{
    paintLink(true);
}

void LinkLabel::leaveEvent(QEvent *)
{
    paintLink(false);
}

void LinkLabel::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && !m_url.isEmpty() && rect().contains(event->position().toPoint()) && m_open)
        m_open(m_url);
}

void LinkLabel::paintLink(bool hover)
{
    // Colours readable on the dark boxes: a light blue, and red under the pointer.
    const QString color = hover ? QStringLiteral("#ff4040") : QStringLiteral("#5aa9ff");
    setStyleSheet(m_url.isEmpty() ? QString() : QStringLiteral("color: %1;").arg(color));
}
