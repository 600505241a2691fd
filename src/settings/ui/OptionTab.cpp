#include "settings/ui/OptionTab.h"

#include <QCheckBox>
#include <QVBoxLayout>

OptionTab::OptionTab(SettingsDialogModel &model, QWidget *parent)
    : SettingsTab(model, parent)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 14, 14, 14);
    layout->setSpacing(10);
    layout->addWidget(m_binder.check(SettingId::SetNotTrans, QStringLiteral("設定は半透明にしない")));
    layout->addWidget(m_binder.check(SettingId::MoveWorkArea, QStringLiteral("移動範囲をワークエリアに限定する")));
    layout->addWidget(m_binder.check(SettingId::TempFolderClear, QStringLiteral("終了時にテンポラリフォルダをクリアする")));
    layout->addWidget(m_binder.check(SettingId::AutoSaveQuestion, QStringLiteral("オートセーブ時に問い合わせる")));
    layout->addWidget(m_binder.check(SettingId::ResumePlay, QStringLiteral("レジューム再生")));
    layout->addWidget(m_binder.check(SettingId::GridDisplay, QStringLiteral("グリッド表示")));
    layout->addWidget(m_binder.check(SettingId::AddSubfolders, QStringLiteral("フォルダを開くときサブフォルダも追加する")));
    layout->addStretch();
}
