#pragma once

#include <QImage>
#include <QWidget>

// A picture of the skinned window: shows one image at its own size from the
// top-left corner and leaves its mouse events to the window (which watches
// it with an event filter).
class PictureElement : public QWidget
{
    Q_OBJECT
public:
    explicit PictureElement(QWidget *parent = nullptr);

    void setImage(const QImage &image);
    const QImage &image() const { return m_image; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QImage m_image;
};
