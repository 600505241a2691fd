#include "playlistwindow/ui/ListSizeChangeForm.h"

#include <QLabel>
#include <QMouseEvent>
#include <QVBoxLayout>

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
    connect(&m_drag, &WindowDrag::moveFinished, this, &ListSizeChangeForm::dragged);
}

void ListSizeChangeForm::mousePressEvent(QMouseEvent *event)
{
    m_drag.press(event);
}

void ListSizeChangeForm::mouseMoveEvent(QMouseEvent *event)
{
    m_drag.move(event);
}

void ListSizeChangeForm::mouseReleaseEvent(QMouseEvent *event)
{
    if (!m_drag.release(event))
        return;
    Q_EMIT sizeChosen(geometry());
    close();
}
