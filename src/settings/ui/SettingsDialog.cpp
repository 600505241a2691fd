#include "settings/ui/SettingsDialog.h"

SettingsDialog::SettingsDialog(QWidget *parent)
    : QDialog(parent, Qt::Window | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("Setting"));
    setWindowTitle(QStringLiteral("設定"));
}
