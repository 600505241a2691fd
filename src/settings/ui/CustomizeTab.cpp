#include "settings/ui/CustomizeTab.h"

#include "settings/SettingsDialogModel.h"
#include "settings/SettingsStore.h"
#include "settings/ui/SettingsChooser.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>
#include <QVBoxLayout>

namespace {

QVBoxLayout *wrap(QWidget *w)
{
    auto *l = new QVBoxLayout;
    l->addWidget(w);
    return l;
}

} // namespace

CustomizeTab::CustomizeTab(SettingsDialogModel &model, SettingsChooser &chooser, QWidget *parent)
    : SettingsTab(model, parent)
    , m_chooser(&chooser)
{
    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(8, 8, 8, 8);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(4);

    auto *tagRow = new QHBoxLayout;
    m_tagEditor = new QLineEdit;
    m_tagEditor->setObjectName(QStringLiteral("txtTagEditorPath"));
    connect(m_tagEditor, &QLineEdit::editingFinished, this,
            [this] { m_store.setText(SettingId::TagEditorPath, m_tagEditor->text()); });
    auto *browse = new QPushButton(QStringLiteral("..."));
    browse->setObjectName(QStringLiteral("cmdTagEditorPath"));
    browse->setFixedWidth(30);
    connect(browse, &QPushButton::clicked, this, [this] { m_model.chooseTagEditor(m_chooser->program(this)); });
    tagRow->addWidget(m_tagEditor, 1);
    tagRow->addWidget(browse);
    grid->addWidget(group("タグエディタの場所(Kid3、EasyTAG、Puddletagなど)", tagRow), 0, 0, 1, 2);

    grid->addWidget(group("ミニフェイスにプレイリストを吸着",
                          wrap(m_binder.options(SettingId::PlaylistAdsorption, {"しない", "下に", "上に"}))),
                    1, 0);
    grid->addWidget(
        group("クリック方法", wrap(m_binder.options(SettingId::TreeClick, {"シングルクリック", "ダブルクリック"}))), 2, 0);
    grid->addWidget(group("プログレスシークバースタイル", wrap(m_binder.options(SettingId::PGBStyle, {"Smooth", "Segment"}))),
                    3, 0);

    auto *corner = new QHBoxLayout;
    auto *bar = new QScrollBar(Qt::Vertical);
    m_binder.range(SettingId::CornerRoundValue, bar);
    bar->setFixedHeight(36);
    m_cornerLabel = new QLabel(QStringLiteral("00"));
    m_cornerLabel->setObjectName(QStringLiteral("lblCornerRound"));
    corner->addWidget(bar);
    corner->addWidget(m_cornerLabel);
    corner->addStretch();
    grid->addWidget(group("角の丸み", corner), 4, 0);

    QCheckBox *fade = m_binder.check(SettingId::Fade, QStringLiteral("ON"));
    grid->addWidget(group("フェードイン/アウト ※合成機能のあるウィンドウマネージャが必要です",
                          wrap(sliderRow(m_binder.slider(SettingId::FadeSpeed), "速", "遅", fade))),
                    1, 1);
    QCheckBox *translucent = m_binder.check(SettingId::Translucent, QStringLiteral("ON"));
    grid->addWidget(group("トランスルーセント ※合成機能のあるウィンドウマネージャが必要です",
                          wrap(sliderRow(m_binder.slider(SettingId::Transparency), "0%", "100%", translucent))),
                    2, 1);
    grid->addWidget(group("スクロールスピード", wrap(sliderRow(m_binder.slider(SettingId::ScrollSpeed), "速", "遅"))), 3, 1);
    grid->addWidget(
        group("MiniVisualスピード", wrap(sliderRow(m_binder.slider(SettingId::MiniVisualSpeed), "速", "遅"))), 4, 1);

    auto *fonts = new QGridLayout;
    const auto fontRow = [&](int row, const char *caption, const char *button, const char *sample, bool main) {
        auto *b = new QPushButton(QString::fromUtf8(caption));
        b->setObjectName(QString::fromLatin1(button));
        connect(b, &QPushButton::clicked, this, [this, main] { chooseFont(main); });
        auto *s = new QLineEdit(QStringLiteral("Sample Text サンプルテキスト"));
        s->setObjectName(QString::fromLatin1(sample));
        s->setReadOnly(true);
        fonts->addWidget(b, row, 0);
        fonts->addWidget(s, row, 1);
        return s;
    };
    m_mainSample = fontRow(0, "ミニフェイス", "cmdMiniFaceFontChange", "txtMiniFaceSample", true);
    m_listSample = fontRow(1, "プレイリスト", "cmdPlaylistFontChange", "txtPlaylistSample", false);
    grid->addWidget(group("フォント", fonts), 5, 0, 1, 2);
    grid->setRowStretch(6, 1);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);
}

QFont CustomizeTab::fontOf(bool main) const
{
    QFont f(m_store.text(main ? SettingId::MainFontName : SettingId::ListFontName));
    f.setPointSize(qMax(1, m_store.value(main ? SettingId::MainFontSize : SettingId::ListFontSize)));
    f.setBold(m_store.isOn(main ? SettingId::MainFontBold : SettingId::ListFontBold));
    return f;
}

void CustomizeTab::chooseFont(bool main)
{
    if (const std::optional<QFont> chosen = m_chooser->font(fontOf(main), this))
        m_model.setFont(main, chosen->family(), chosen->pointSizeF(), chosen->bold());
}

void CustomizeTab::showSetting(SettingId id)
{
    SettingsTab::showSetting(id);
    switch (id) {
    case SettingId::CornerRoundValue:
        m_cornerLabel->setText(QStringLiteral("%1").arg(m_store.value(id), 2, 10, QLatin1Char('0')));
        break;
    case SettingId::Translucent:
        controlOf(SettingId::Transparency)->setEnabled(m_store.isOn(id));
        break;
    case SettingId::TagEditorPath:
        if (m_tagEditor->text() != m_store.text(id))
            m_tagEditor->setText(m_store.text(id));
        break;
    case SettingId::MainFontName:
    case SettingId::MainFontSize:
    case SettingId::MainFontBold:
        m_mainSample->setFont(fontOf(true));
        break;
    case SettingId::ListFontName:
    case SettingId::ListFontSize:
    case SettingId::ListFontBold:
        m_listSample->setFont(fontOf(false));
        break;
    default:
        break;
    }
}
