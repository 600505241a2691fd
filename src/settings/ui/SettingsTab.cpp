#include "settings/ui/SettingsTab.h"

#include "settings/SettingsDialogModel.h"
#include "settings/SettingsStore.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>

SettingsTab::SettingsTab(SettingsDialogModel &model, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
    , m_store(model.store())
    , m_binder(model)
{
    connect(&m_store, &SettingsStore::valueChanged, this, [this](SettingId id) { showSetting(id); });
}

void SettingsTab::load()
{
    for (const SettingKey &k : settingKeys())
        showSetting(k.id);
}

void SettingsTab::showSetting(SettingId id)
{
    m_binder.show(id);
}

QGroupBox *SettingsTab::group(const char *caption, QLayout *layout)
{
    auto *box = new QGroupBox(QString::fromUtf8(caption));
    box->setLayout(layout);
    return box;
}

QWidget *SettingsTab::sliderRow(QWidget *slider, const char *low, const char *high, QWidget *before)
{
    auto *row = new QWidget;
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    if (before)
        layout->addWidget(before);
    layout->addWidget(new QLabel(QString::fromUtf8(low)));
    layout->addWidget(slider, 1);
    layout->addWidget(new QLabel(QString::fromUtf8(high)));
    return row;
}
