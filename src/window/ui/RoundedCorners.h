#pragma once

#include <QObject>

class QWidget;

// Keeps a frameless window's outline rounded: the corner ellipse size is set
// here, and every resize of the window cuts its outline again.
class RoundedCorners : public QObject
{
public:
    explicit RoundedCorners(QWidget *window);

    // Corner ellipse width and height in pixels; 0: square corners.
    void setCorner(int corner);
    int corner() const { return m_corner; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void apply();

    QWidget *m_window;
    int m_corner = 0;
};
