#include "mainwindow/ui/MainSizeChangeWindow.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>

MainSizeChangeWindow::MainSizeChangeWindow(QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint)
    , m_caption(new QLabel(QStringLiteral("<Click> 決定 <L> 最大化 <S> 最小化"), this))
{
    setObjectName(QStringLiteral("mainSizeChangeForm"));
    setWindowTitle(QStringLiteral("サイズ調整"));
    m_caption->setObjectName(QStringLiteral("lblMainSizeChangeCaption1"));
    m_caption->setAlignment(Qt::AlignCenter);
    m_caption->setAttribute(Qt::WA_TransparentForMouseEvents);
    setMinimumHeight(Height);
    setMaximumHeight(Height);
    setMinimumWidth(40);
    connect(&m_drag, &WindowDrag::moveFinished, this, &MainSizeChangeWindow::dragged);
}

void MainSizeChangeWindow::open(const QRect &geometry)
{
    setGeometry(geometry.x(), geometry.y(), geometry.width(), Height);
    show();
    activateWindow();
    setFocus();
}

QRect MainSizeChangeWindow::appliedGeometry(const QRect &window, int mainHeight)
{
    return QRect(window.x(), window.y(), qMax(window.width(), MinWidthPixels), mainHeight);
}

void MainSizeChangeWindow::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_L) {
        const QScreen *screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
        const QRect area = screen ? screen->geometry() : QRect(0, 0, 1024, 768);
        setGeometry(area.x(), y(), area.width(), Height);
    } else if (event->key() == Qt::Key_S) {
        resize(MinWidthPixels, Height);
    } else if (event->key() == Qt::Key_Escape) {
        Q_EMIT applied(geometry());
    } else {
        QWidget::keyPressEvent(event);
    }
}

void MainSizeChangeWindow::mousePressEvent(QMouseEvent *event)
{
    m_drag.press(event);
}

void MainSizeChangeWindow::mouseMoveEvent(QMouseEvent *event)
{
    // Dragging moves the window, as the main window's background does.
    m_drag.move(event);
}

void MainSizeChangeWindow::mouseReleaseEvent(QMouseEvent *event)
{
    if (m_drag.release(event))
        Q_EMIT applied(geometry());
}

void MainSizeChangeWindow::resizeEvent(QResizeEvent *)
{
    m_caption->setGeometry(rect());
}
