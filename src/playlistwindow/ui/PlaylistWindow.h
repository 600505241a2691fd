#pragma once

#include <QWidget>

// The playlist window: library tree, track list and their controls.
class PlaylistWindow : public QWidget
{
    Q_OBJECT
public:
    explicit PlaylistWindow(QWidget *parent = nullptr);
};
