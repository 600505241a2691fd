#include "settings/ui/SoundTab.h"

#include "settings/SettingsStore.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QSlider>
#include <QVBoxLayout>

namespace {
// The combo box row of the system's default output: its data is the empty name.
const char *const DefaultDeviceCaption = "既定の出力";
} // namespace

SoundTab::SoundTab(SettingsDialogModel &model, QWidget *parent)
    : SettingsTab(model, parent)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 14, 14, 14);
    auto *volume = new QVBoxLayout;
    volume->addWidget(new QLabel(QStringLiteral("Master Volume")));
    volume->addWidget(sliderRow(m_binder.slider(SettingId::WaveOutVolume), "0%", "100%"));
    layout->addWidget(group("ボリューム", volume));

    auto *levelling = new QVBoxLayout;
    levelling->addWidget(m_binder.options(SettingId::ReplayGain, {"オフ", "トラック", "アルバム"}));
    auto *details = new QVBoxLayout;
    QSlider *preamp = m_binder.slider(SettingId::ReplayGainPreamp);
    preamp->setPageStep(3);
    m_preampValue = new QLabel;
    m_preampValue->setObjectName(QStringLiteral("lblReplayGainPreamp"));
    m_preampValue->setMinimumWidth(m_preampValue->fontMetrics().horizontalAdvance(QStringLiteral("+12 dB")) + 4);
    m_preampValue->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    QWidget *row = sliderRow(preamp, "-12dB", "+12dB", new QLabel(QStringLiteral("プリアンプ")));
    static_cast<QHBoxLayout *>(row->layout())->addWidget(m_preampValue);
    details->addWidget(row);
    details->addWidget(m_binder.check(SettingId::ReplayGainClip, QStringLiteral("ピーク値で音割れを防ぐ")));
    levelling->addLayout(details);
    auto *note = new QLabel(QStringLiteral("アルバムのゲインがない曲はトラックのゲインで再生します。"));
    note->setWordWrap(true);
    levelling->addWidget(note);
    layout->addWidget(group("リプレイゲイン (音量の均一化)", levelling));

    auto *output = new QVBoxLayout;
    m_devices = new QComboBox;
    m_devices->setObjectName(QStringLiteral("cboOutputDevice"));
    m_devices->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_devices->setMinimumContentsLength(16);
    connect(m_devices, &QComboBox::activated, this, [this](int index) {
        m_store.setText(SettingId::OutputDevice, m_devices->itemData(index).toString());
    });
    output->addWidget(m_devices);
    auto *deviceNote = new QLabel(QStringLiteral("次の曲から切り替わります。見つからないときは既定の出力で再生します。"));
    deviceNote->setWordWrap(true);
    output->addWidget(deviceNote);
    layout->addWidget(group("出力デバイス", output));
    layout->addStretch();
    fillDevices();
}

void SoundTab::setDeviceSource(std::function<QStringList()> source)
{
    m_deviceSource = std::move(source);
    fillDevices();
}

void SoundTab::load()
{
    fillDevices();
    SettingsTab::load();
}

void SoundTab::showSetting(SettingId id)
{
    SettingsTab::showSetting(id);
    if (id == SettingId::OutputDevice)
        showDevice();
    else if (id == SettingId::ReplayGain || id == SettingId::ReplayGainPreamp)
        showLevelling();
}

void SoundTab::fillDevices()
{
    const QSignalBlocker block(m_devices);
    m_devices->clear();
    m_devices->addItem(QString::fromUtf8(DefaultDeviceCaption), QString());
    if (m_deviceSource) {
        for (const QString &name : m_deviceSource())
            m_devices->addItem(name, name);
    }
    showDevice();
}

void SoundTab::showDevice()
{
    const QSignalBlocker block(m_devices);
    const QString chosen = m_store.text(SettingId::OutputDevice);
    int index = m_devices->findData(chosen);
    if (index < 0) {
        // A chosen device that is away now stays chosen, and says so.
        m_devices->addItem(QStringLiteral("%1 (見つかりません)").arg(chosen), chosen);
        index = m_devices->count() - 1;
    }
    m_devices->setCurrentIndex(index);
}

void SoundTab::showLevelling()
{
    const int preamp = m_store.value(SettingId::ReplayGainPreamp);
    m_preampValue->setText(preamp > 0 ? QStringLiteral("+%1 dB").arg(preamp) : QStringLiteral("%1 dB").arg(preamp));
}
