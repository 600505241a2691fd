#include "settings/ui/SoundTab.h"

#include <QGroupBox>
#include <QLabel>
#include <QSlider>
#include <QVBoxLayout>

SoundTab::SoundTab(SettingsDialogModel &model, QWidget *parent)
    : SettingsTab(model, parent)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 14, 14, 14);
    auto *volume = new QVBoxLayout;
    volume->addWidget(new QLabel(QStringLiteral("Master Volume")));
    volume->addWidget(sliderRow(m_binder.slider(SettingId::WaveOutVolume), "0%", "100%"));
    layout->addWidget(group("ボリューム", volume));
    layout->addStretch();
}
