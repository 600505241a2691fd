#pragma once

#include <QColor>
#include <QWidget>

// The seek bar `prgSeek`: a progress bar drawn smooth or in segments, in the
// bar and background colours of the colour slots. A press is reported with
// the pointer's x; the window does the seeking.
class SeekBar : public QWidget
{
    Q_OBJECT
public:
    explicit SeekBar(QWidget *parent = nullptr);

    int maximum() const { return m_maximum; }
    int value() const { return m_value; }
    void setMaximum(int maximum);
    // Values outside 0..maximum are kept inside it.
    void setValue(int value);

    void setColors(const QColor &bar, const QColor &background);
    QColor barColor() const { return m_bar; }
    QColor backgroundColor() const { return m_background; }
    // Segments (true) or one smooth bar.
    void setSegmented(bool segmented);
    bool isSegmented() const { return m_segmented; }
    // Flat: no 3-D border.
    void setFlat(bool flat);

Q_SIGNALS:
    void pressed(int x);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    // The width of the bar's filled part in pixels.
    int filledWidth() const;
    int m_maximum = 100;
    int m_value = 0;
    QColor m_bar = Qt::white;
    QColor m_background = Qt::black;
    bool m_segmented = true;
    bool m_flat = false;
};
