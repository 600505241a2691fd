#include "playlistwindow/ui/ListSizeChangeForm.h"

#include <QLabel>
#include <QMouseEvent>
#include <QVBoxLayout>
#include <QWindow>

ListSizeChangeForm::ListSizeChangeForm(const QRect &geometry, QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("ListSizeChangeForm"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Velmora"));
    auto *layout = new QVBoxLayout(this);
    for (const QString &text : {QStringLiteral("プレイリストのサイズを変更します。"),
                                QStringLiteral("大きさを決めたらクリックしてください。")}) {
        auto *label = new QLabel(text, this);
        // A click on either label is a click on the window.
        label->setAttribute(Qt::WA_TransparentForMouseEvents);
        layout->addWidget(label);
    }
    layout->addStretch();
    setGeometry(geometry);
}

void ListSizeChangeForm::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_pressed = true;
    m_dragged = false;
    m_pressGlobal = event->globalPosition().toPoint();
    m_pressWindowPos = pos();
}

void ListSizeChangeForm::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_pressed || !(event->buttons() & Qt::LeftButton))
        return;
    const QPoint delta = event->globalPosition().toPoint() - m_pressGlobal;
    if (!m_dragged && delta.manhattanLength() < 3)
        return;
    m_dragged = true;
    // The window manager moves the window when it can; otherwise we do.
    if (windowHandle() && windowHandle()->startSystemMove()) {
        m_pressed = false;
        return;
    }
    move(m_pressWindowPos + delta);
}

void ListSizeChangeForm::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const bool click = m_pressed && !m_dragged;
    m_pressed = false;
    if (!click)
        return;
    Q_EMIT sizeChosen(geometry());
    close();
}
