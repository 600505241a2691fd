#include "mainwindow/ui/MainWindow.h"

#include <QCloseEvent>
#include <QPainter>

MainWindow::MainWindow(QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("main"));
    setWindowTitle(QStringLiteral("Velmora"));
    setAcceptDrops(true);
    resize(707, 40);
    move(67, 67);
}

void MainWindow::setTrackInfoText(const QString &text)
{
    m_trackInfo = text;
    update();
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    // The program decides when it ends: after saving, through closeRequested().
    event->ignore();
    Q_EMIT closeRequested();
}

void MainWindow::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), QColor(0x20, 0x24, 0x2c));
    p.setPen(QColor(0xd8, 0xe0, 0xea));
    p.drawText(rect().adjusted(8, 0, -8, 0), Qt::AlignVCenter | Qt::AlignLeft, m_trackInfo);
}
