#pragma once

#include <QWidget>

// The main window, the mini face: a frameless, skinned strip.
class MainWindow : public QWidget
{
    Q_OBJECT
public:
    explicit MainWindow(QWidget *parent = nullptr);

    void setTrackInfoText(const QString &text);
    QString trackInfoText() const { return m_trackInfo; }

Q_SIGNALS:
    // The user (or the window manager) asked to close the window: the
    // program ends and saves, as its Exit command does.
    void closeRequested();

protected:
    void closeEvent(QCloseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_trackInfo;
};
