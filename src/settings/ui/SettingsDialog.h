#pragma once

#include <QDialog>

// The settings dialog. Created once at start-up and hidden while closed.
class SettingsDialog : public QDialog
{
    Q_OBJECT
public:
    explicit SettingsDialog(QWidget *parent = nullptr);
};
