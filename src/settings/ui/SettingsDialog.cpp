#include "settings/ui/SettingsDialog.h"

#include "settings/ColorProfiles.h"
#include "settings/SettingsDialogModel.h"
#include "settings/SettingsStore.h"
#include "style/Style.h"
#include "style/ui/StyleEditor.h"
#include "window/WindowPlacement.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QFileDialog>
#include <QFontDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QSlider>
#include <QTabWidget>
#include <QVBoxLayout>

#include <limits>

namespace {

QString tr8(const char *text)
{
    return QString::fromUtf8(text);
}

QString rgba(const QColor &c, int alpha)
{
    return QStringLiteral("rgba(%1,%2,%3,%4)").arg(c.red()).arg(c.green()).arg(c.blue()).arg(alpha);
}

QColor mix(const QColor &a, const QColor &b, double t)
{
    return QColor::fromRgbF(float(a.redF() * (1 - t) + b.redF() * t), float(a.greenF() * (1 - t) + b.greenF() * t),
                            float(a.blueF() * (1 - t) + b.blueF() * t));
}

QGroupBox *group(const char *caption, QLayout *layout)
{
    auto *box = new QGroupBox(tr8(caption));
    box->setLayout(layout);
    return box;
}

} // namespace

// A label that can be a link: drawn in the link colour and underlined,
// red while the pointer is over it, reporting a click.
class LinkLabel : public QLabel
{
public:
    explicit LinkLabel(QWidget *parent = nullptr)
        : QLabel(parent)
    {
    }
    void setLink(const QString &text, const QString &url, std::function<void(const QString &)> open)
    {
        setText(text);
        m_url = url;
        m_open = std::move(open);
        QFont f = font();
        f.setUnderline(!url.isEmpty());
        setFont(f);
        setCursor(url.isEmpty() ? Qt::ArrowCursor : Qt::PointingHandCursor);
        setToolTip(url);
        paintLink(false);
    }
    QString url() const { return m_url; }

protected:
    void enterEvent(QEnterEvent *) override { paintLink(true); }
    void leaveEvent(QEvent *) override { paintLink(false); }
    void mouseReleaseEvent(QMouseEvent *event) override
    {
        if (event->button() == Qt::LeftButton && !m_url.isEmpty() && rect().contains(event->position().toPoint())
            && m_open)
            m_open(m_url);
    }

private:
    void paintLink(bool hover)
    {
        // Colours readable on the dark boxes: a light blue, and red under the pointer.
        setStyleSheet(m_url.isEmpty() ? QString()
                                      : QStringLiteral("color: %1;").arg(hover ? QStringLiteral("#ff4040")
                                                                               : QStringLiteral("#5aa9ff")));
    }
    QString m_url;
    std::function<void(const QString &)> m_open;
};

// A colour box of the Color tab: shows its slot's colour; a click opens the
// colour chooser.
class ColorSwatch : public QWidget
{
public:
    ColorSwatch(int slot, std::function<void(int)> clicked, QWidget *parent = nullptr)
        : QWidget(parent)
        , m_slot(slot)
        , m_clicked(std::move(clicked))
    {
        setObjectName(QStringLiteral("picPreviewColor%1").arg(slot));
        setFixedSize(34, 16);
        setCursor(Qt::PointingHandCursor);
    }
    void setColor(const QColor &c)
    {
        m_color = c;
        update();
    }
    QColor color() const { return m_color; }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.fillRect(rect(), m_color);
        p.setPen(palette().color(QPalette::WindowText));
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }
    void mouseReleaseEvent(QMouseEvent *event) override
    {
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
            m_clicked(m_slot);
    }

private:
    int m_slot;
    std::function<void(int)> m_clicked;
    QColor m_color;
};

SettingsDialog::SettingsDialog(SettingsDialogModel &model, QWidget *parent)
    : QDialog(parent, Qt::Window | Qt::FramelessWindowHint)
    , m_model(model)
    , m_store(model.store())
{
    setObjectName(QStringLiteral("Setting"));
    setWindowTitle(QStringLiteral("設定"));
    setModal(false);
    connect(&m_drag, &WindowDrag::moveFinished, this, [this] { Q_EMIT placed(this); });

    // The skin (style sheet) is set on a body inside the dialog, so the
    // system's font, colour and file dialogs opened from here keep their own look.
    m_body = new QWidget(this);
    m_body->setObjectName(QStringLiteral("body"));
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(6, 22, 6, 6);
    outer->addWidget(m_body);
    auto *layout = new QVBoxLayout(m_body);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);

    m_tabs = new QTabWidget;
    m_tabs->setObjectName(QStringLiteral("SSTab1"));
    m_tabs->addTab(buildOptionTab(), QStringLiteral("Option"));
    m_tabs->addTab(buildCustomizeTab(), QStringLiteral("Customize"));
    m_tabs->addTab(buildSoundTab(), QStringLiteral("Sound"));
    m_tabs->addTab(buildStyleTab(), QStringLiteral("Style"));
    m_tabs->addTab(buildColorTab(), QStringLiteral("Color"));
    m_tabs->addTab(buildVersionTab(), QStringLiteral("Version"));
    layout->addWidget(m_tabs);
    connect(m_tabs, &QTabWidget::currentChanged, this, [this](int index) {
        if (index == 5)
            fillVersionTab();
    });

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    auto *ok = new QPushButton(QStringLiteral("OK"));
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setDefault(true);
    auto *cancel = new QPushButton(QStringLiteral("キャンセル"));
    cancel->setObjectName(QStringLiteral("cmdCancel"));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);

    connect(&m_store, &SettingsStore::valueChanged, this, [this](SettingId id) {
        showSetting(id);
        if (id == SettingId::BoxBackColor || id == SettingId::BoxForeColor || id == SettingId::ListBackColor
            || id == SettingId::SelectBackColor || id == SettingId::SelectForeColor)
            restyle();
    });
    showAll();
    restyle();
    setFixedSize(sizeHint().expandedTo(QSize(640, 0)));
}

SettingsDialog::~SettingsDialog() = default;

// --- controls -------------------------------------------------------------------------

void SettingsDialog::bind(SettingId id, QObject *control)
{
    const DialogControl *c = SettingsDialogModel::control(id);
    Q_ASSERT(c);
    control->setObjectName(QString::fromLatin1(c->name));
    m_controls[std::size_t(id)] = control;
}

QCheckBox *SettingsDialog::check(SettingId id, const char *caption)
{
    auto *box = new QCheckBox(tr8(caption));
    bind(id, box);
    connect(box, &QCheckBox::toggled, this, [this, id](bool on) { m_model.setControl(id, on ? 1 : 0); });
    return box;
}

QWidget *SettingsDialog::options(SettingId id, std::initializer_list<const char *> captions)
{
    auto *row = new QWidget;
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *buttons = new QButtonGroup(row);
    int i = 0;
    for (const char *caption : captions) {
        auto *b = new QRadioButton(tr8(caption));
        b->setObjectName(QString::fromLatin1(SettingsDialogModel::control(id)->name) + QString::number(i));
        buttons->addButton(b, i++);
        layout->addWidget(b);
    }
    layout->addStretch();
    bind(id, buttons);
    connect(buttons, &QButtonGroup::idClicked, this, [this, id](int index) { m_model.setControl(id, index); });
    return row;
}

QWidget *SettingsDialog::slider(SettingId id, const char *low, const char *high, QWidget *before)
{
    const DialogControl *c = SettingsDialogModel::control(id);
    auto *row = new QWidget;
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    if (before)
        layout->addWidget(before);
    auto *s = new QSlider(Qt::Horizontal);
    s->setRange(c->minimum, c->maximum);
    s->setPageStep(qMax(1, (c->maximum - c->minimum) / 10));
    bind(id, s);
    connect(s, &QSlider::valueChanged, this, [this, id](int v) { m_model.setControl(id, v); });
    layout->addWidget(new QLabel(tr8(low)));
    layout->addWidget(s, 1);
    layout->addWidget(new QLabel(tr8(high)));
    return row;
}

QWidget *SettingsDialog::buildOptionTab()
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(14, 14, 14, 14);
    layout->setSpacing(10);
    layout->addWidget(check(SettingId::SetNotTrans, "設定は半透明にしない"));
    layout->addWidget(check(SettingId::MoveWorkArea, "移動範囲をワークエリアに限定する"));
    layout->addWidget(check(SettingId::TempFolderClear, "終了時にテンポラリフォルダをクリアする"));
    layout->addWidget(check(SettingId::AutoSaveQuestion, "オートセーブ時に問い合わせる"));
    layout->addWidget(check(SettingId::ResumePlay, "レジューム再生"));
    layout->addWidget(check(SettingId::GridDisplay, "グリッド表示"));
    layout->addStretch();
    return page;
}

QWidget *SettingsDialog::buildCustomizeTab()
{
    auto *page = new QWidget;
    auto *grid = new QGridLayout(page);
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
    connect(browse, &QPushButton::clicked, this, &SettingsDialog::chooseTagEditor);
    tagRow->addWidget(m_tagEditor, 1);
    tagRow->addWidget(browse);
    grid->addWidget(group("タグエディタの場所(SuperTagEditorなど)", tagRow), 0, 0, 1, 2);

    auto wrap = [](QWidget *w) {
        auto *l = new QVBoxLayout;
        l->addWidget(w);
        return l;
    };
    grid->addWidget(group("ミニフェイスにプレイリストを吸着",
                          wrap(options(SettingId::PlaylistAdsorption, {"しない", "下に", "上に"}))),
                    1, 0);
    grid->addWidget(group("クリック方法", wrap(options(SettingId::TreeClick, {"シングルクリック", "ダブルクリック"}))), 2, 0);
    grid->addWidget(group("プログレスシークバースタイル", wrap(options(SettingId::PGBStyle, {"Smooth", "Segment"}))), 3, 0);

    auto *corner = new QHBoxLayout;
    auto *bar = new QScrollBar(Qt::Vertical);
    const DialogControl *cc = SettingsDialogModel::control(SettingId::CornerRoundValue);
    bar->setRange(cc->minimum, cc->maximum);
    bar->setFixedHeight(36);
    bind(SettingId::CornerRoundValue, bar);
    connect(bar, &QScrollBar::valueChanged, this,
            [this](int v) { m_model.setControl(SettingId::CornerRoundValue, v); });
    m_cornerLabel = new QLabel(QStringLiteral("00"));
    m_cornerLabel->setObjectName(QStringLiteral("lblCornerRound"));
    corner->addWidget(bar);
    corner->addWidget(m_cornerLabel);
    corner->addStretch();
    grid->addWidget(group("角の丸み", corner), 4, 0);

    grid->addWidget(group("フェードイン/アウト ※Only Windows XP/2000",
                          wrap(slider(SettingId::FadeSpeed, "速", "遅", check(SettingId::Fade, "ON")))),
                    1, 1);
    grid->addWidget(group("トランスルーセント  ※Only Windows XP/2000",
                          wrap(slider(SettingId::Transparency, "0%", "100%", check(SettingId::Translucent, "ON")))),
                    2, 1);
    grid->addWidget(group("スクロールスピード", wrap(slider(SettingId::ScrollSpeed, "速", "遅"))), 3, 1);
    grid->addWidget(group("MiniVisualスピード", wrap(slider(SettingId::MiniVisualSpeed, "速", "遅"))), 4, 1);

    auto *fonts = new QGridLayout;
    const auto fontRow = [&](int row, const char *caption, const char *button, const char *sample, bool main) {
        auto *b = new QPushButton(tr8(caption));
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
    return page;
}

QWidget *SettingsDialog::buildSoundTab()
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(14, 14, 14, 14);
    auto *volume = new QVBoxLayout;
    volume->addWidget(new QLabel(QStringLiteral("Master Volume")));
    volume->addWidget(slider(SettingId::WaveOutVolume, "0%", "100%"));
    layout->addWidget(group("ボリューム", volume));
    layout->addStretch();
    return page;
}

QWidget *SettingsDialog::buildStyleTab()
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(14, 12, 14, 12);
    layout->setSpacing(8);

    m_styleCombo = new QComboBox;
    m_styleCombo->setObjectName(QStringLiteral("cboStyleSelect"));
    m_styleCombo->setEditable(true);
    m_styleCombo->setInsertPolicy(QComboBox::NoInsert);
    m_styleCombo->setEditText(Style::DefaultName);
    m_styleCombo->installEventFilter(this);
    connect(m_styleCombo, &QComboBox::textActivated, this, [this](const QString &) { commitStyleText(); });
    m_styleCombo->lineEdit()->installEventFilter(this);
    auto *styleRow = new QHBoxLayout;
    styleRow->addWidget(m_styleCombo, 1);
    auto *create = new QPushButton(QStringLiteral("スタイル作成"));
    create->setObjectName(QStringLiteral("cmdStyleCreate"));
    connect(create, &QPushButton::clicked, this, &SettingsDialog::openStyleEditor);
    styleRow->addWidget(create);
    layout->addLayout(styleRow);

    layout->addWidget(check(SettingId::Flat, "フラット表示"));
    layout->addWidget(check(SettingId::MainStretch, "ミニフェイスの背景をウインドウサイズにフィット"));
    layout->addWidget(check(SettingId::ListStretch, "プレイリストの背景をウインドウサイズにフィット"));

    auto *info = new QGridLayout;
    info->setColumnStretch(1, 1);
    const char *captions[] = {"名称：", "Build：", "製作者：", "URL：", "E-Mail：", "コメント："};
    for (int i = 0; i < 6; ++i) {
        info->addWidget(new QLabel(tr8(captions[i])), i, 0, Qt::AlignRight | Qt::AlignTop);
        auto *value = new LinkLabel;
        value->setObjectName(QStringLiteral("StyleInfo%1").arg(i));
        value->setText(QStringLiteral("Unknown"));
        value->setWordWrap(i == 5);
        value->setTextFormat(Qt::PlainText);
        info->addWidget(value, i, 1);
        m_styleInfo[std::size_t(i)] = value;
    }
    layout->addWidget(group("スタイル情報", info));
    layout->addStretch();
    return page;
}

QWidget *SettingsDialog::buildColorTab()
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(10, 10, 10, 10);

    auto *profileRow = new QHBoxLayout;
    m_colorCombo = new QComboBox;
    m_colorCombo->setObjectName(QStringLiteral("cboColorSelect"));
    m_colorCombo->setEditable(true);
    m_colorCombo->setInsertPolicy(QComboBox::NoInsert);
    m_colorCombo->setEditText(QStringLiteral("AutoColor"));
    m_colorCombo->installEventFilter(this);
    m_colorCombo->lineEdit()->installEventFilter(this);
    connect(m_colorCombo, &QComboBox::textActivated, this,
            [this](const QString &name) { m_model.colorProfiles().select(name); });
    auto *save = new QPushButton(QStringLiteral("保存"));
    save->setObjectName(QStringLiteral("cmdColorSave"));
    save->setToolTip(QStringLiteral("カラープロファイルを保存"));
    connect(save, &QPushButton::clicked, this, [this] {
        const std::optional<QString> name = m_model.colorProfiles().save(m_colorCombo->currentText());
        refreshColorList();
        if (name)
            m_colorCombo->setEditText(*name);
    });
    auto *remove = new QPushButton(QStringLiteral("削除"));
    remove->setObjectName(QStringLiteral("cmdColorDelete"));
    remove->setToolTip(QStringLiteral("カラープロファイルを削除"));
    connect(remove, &QPushButton::clicked, this, [this] {
        const bool deleted = m_model.colorProfiles().remove(m_colorCombo->currentText());
        refreshColorList();
        if (deleted)
            m_colorCombo->setEditText(QString());
    });
    profileRow->addWidget(m_colorCombo, 1);
    profileRow->addWidget(save);
    profileRow->addWidget(remove);
    layout->addLayout(profileRow);

    const auto boxes = [this](std::span<const ColorBox> table, int columns) {
        auto *grid = new QGridLayout;
        grid->setHorizontalSpacing(8);
        grid->setVerticalSpacing(5);
        int i = 0;
        for (const ColorBox &box : table) {
            auto *swatch = new ColorSwatch(box.slot, [this](int slot) {
                const QColor chosen = QColorDialog::getColor(m_store.color(ColorSlot(slot)), this, QStringLiteral("色の設定"));
                if (chosen.isValid())
                    m_model.pickColor(slot, SettingsStore::refFromColor(chosen));
            });
            m_swatches[std::size_t(box.slot)] = swatch;
            const int row = i / columns;
            const int col = (i % columns) * 2;
            grid->addWidget(swatch, row, col);
            grid->addWidget(new QLabel(tr8(box.caption)), row, col + 1);
            ++i;
        }
        for (int c = 0; c < columns; ++c)
            grid->setColumnStretch(c * 2 + 1, 1);
        return grid;
    };
    layout->addWidget(group("ミニフェイス", boxes(miniFaceColorBoxes(), 2)));
    layout->addWidget(group("プレイリスト", boxes(playlistColorBoxes(), 2)));
    layout->addStretch();
    return page;
}

QWidget *SettingsDialog::buildVersionTab()
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(16, 14, 16, 14);
    layout->setSpacing(4);
    m_versionTitle = new QLabel(QStringLiteral("Velmora β Build "));
    m_versionTitle->setObjectName(QStringLiteral("lblTitleName"));
    QFont big = m_versionTitle->font();
    big.setPointSize(big.pointSize() + 4);
    big.setBold(true);
    m_versionTitle->setFont(big);
    m_versionDate = new QLabel(QStringLiteral("Release"));
    m_versionDate->setObjectName(QStringLiteral("lblReleaseDate"));
    layout->addWidget(m_versionTitle);
    layout->addWidget(m_versionDate);
    m_versionMaker = new QLabel(QStringLiteral("Velmora Project"));
    layout->addWidget(m_versionMaker);
    layout->addSpacing(8);

    auto *audio = new QVBoxLayout;
    audio->addWidget(new QLabel(QStringLiteral("Powered by")));
    m_versionAudio = new QVBoxLayout;
    auto *audioVersion = new QLabel(QStringLiteral("NOT FOUND"));
    audioVersion->setObjectName(QStringLiteral("lblfmodver"));
    m_versionAudio->addWidget(audioVersion);
    audio->addLayout(m_versionAudio);
    layout->addWidget(group("オーディオライブラリ", audio));

    auto *archiver = new QVBoxLayout;
    m_versionArchiver = new QVBoxLayout;
    auto *archiverVersion = new QLabel(QStringLiteral("NOT FOUND"));
    archiverVersion->setObjectName(QStringLiteral("lblUnzip32dllver"));
    m_versionArchiver->addWidget(archiverVersion);
    archiver->addLayout(m_versionArchiver);
    layout->addWidget(group("書庫ライブラリ", archiver));
    layout->addStretch();
    return page;
}

void SettingsDialog::fillVersionTab()
{
    if (m_versionShown || !m_versionSource)
        return;
    m_versionShown = true;
    const VersionInfo info = m_versionSource();
    m_versionTitle->setText(info.title);
    m_versionDate->setText(info.releaseDate);
    m_versionMaker->setText(info.maker);
    const auto fill = [this](QVBoxLayout *layout, const QList<VersionLine> &lines, const QString &firstName) {
        while (QLayoutItem *item = layout->takeAt(0)) {
            delete item->widget();
            delete item;
        }
        for (const VersionLine &line : lines) {
            auto *label = new LinkLabel;
            label->setLink(line.text, line.url, [this](const QString &url) { Q_EMIT linkActivated(url); });
            label->setWordWrap(true);
            if (layout->count() == 0)
                label->setObjectName(firstName);
            layout->addWidget(label);
        }
    };
    fill(m_versionAudio, info.audio, QStringLiteral("lblfmodver"));
    fill(m_versionArchiver, info.archiver, QStringLiteral("lblUnzip32dllver"));
}

// --- the store shown in the controls ------------------------------------------------------

QWidget *SettingsDialog::controlOf(SettingId id) const
{
    QObject *c = m_controls[std::size_t(id)];
    if (auto *group = qobject_cast<QButtonGroup *>(c))
        return group->button(0);
    return qobject_cast<QWidget *>(c);
}

void SettingsDialog::showSetting(SettingId id)
{
    if (QObject *c = m_controls[std::size_t(id)]) {
        const QSignalBlocker block(c);
        const int v = m_store.value(id);
        if (auto *box = qobject_cast<QCheckBox *>(c))
            box->setChecked(v != 0);
        else if (auto *slider = qobject_cast<QAbstractSlider *>(c))
            slider->setValue(v);
        else if (auto *group = qobject_cast<QButtonGroup *>(c)) {
            if (QAbstractButton *b = group->button(v))
                b->setChecked(true);
            else if (QAbstractButton *checked = group->checkedButton()) {
                group->setExclusive(false);
                checked->setChecked(false);
                group->setExclusive(true);
            }
        }
    }
    if (isColorSetting(id)) {
        for (int slot = 0; slot < ColorSlotCount; ++slot)
            if (colorSlotSetting(slot) == id && m_swatches[std::size_t(slot)])
                m_swatches[std::size_t(slot)]->setColor(m_store.color(ColorSlot(slot)));
        return;
    }
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
    case SettingId::ListFontName:
    case SettingId::ListFontSize:
    case SettingId::ListFontBold: {
        const bool main = id <= SettingId::MainFontBold;
        QFont f(m_store.text(main ? SettingId::MainFontName : SettingId::ListFontName));
        f.setPointSize(qMax(1, m_store.value(main ? SettingId::MainFontSize : SettingId::ListFontSize)));
        f.setBold(m_store.isOn(main ? SettingId::MainFontBold : SettingId::ListFontBold));
        (main ? m_mainSample : m_listSample)->setFont(f);
        break;
    }
    case SettingId::StyleName:
        if (m_styleCombo->currentText() != m_store.text(id))
            m_styleCombo->setEditText(m_store.text(id));
        break;
    default:
        break;
    }
}

void SettingsDialog::showAll()
{
    for (const SettingKey &k : settingKeys())
        showSetting(k.id);
}

void SettingsDialog::restyle()
{
    const QColor text = m_store.color(BoxForeSlot);
    const QColor box = m_store.color(BoxBackSlot);
    const QColor accent = m_store.color(SelectBackSlot);
    const QColor accentText = m_store.color(SelectForeSlot);
    const QColor line = mix(box, text, 0.45);
    const QColor muted = mix(box, text, 0.5);
    QString sheet = QStringLiteral(R"(
#body, #body QWidget { color: %1; }
#body QLabel, #body QCheckBox, #body QRadioButton { background: transparent; }
#body QLabel:disabled, #body QCheckBox:disabled, #body QPushButton:disabled, #body QSlider:disabled { color: %5; }
QTabWidget::pane { border: 1px solid %3; background: %2; top: -1px; }
QTabBar::tab { background: %6; border: 1px solid %3; border-bottom: none; padding: 3px 12px; margin-right: 1px; }
QTabBar::tab:selected { background: %2; }
QTabBar::tab:!selected { margin-top: 2px; }
QGroupBox { border: 1px solid %3; margin-top: 8px; padding: 6px 4px 2px 4px; }
QGroupBox::title { subcontrol-origin: margin; left: 6px; padding: 0 3px; }
QCheckBox::indicator, QRadioButton::indicator { width: 11px; height: 11px; border: 1px solid %3; background: %7; }
QRadioButton::indicator { border-radius: 6px; }
QCheckBox::indicator:checked, QRadioButton::indicator:checked { border-color: %1;
    background: qradialgradient(cx:0.5, cy:0.5, radius:0.5, fx:0.5, fy:0.5, stop:0 %1, stop:0.45 %1, stop:0.6 %4, stop:1 %4); }
QLineEdit, QComboBox { background: %7; border: 1px solid %3; padding: 1px 3px; selection-background-color: %4; selection-color: %8; }
QComboBox QAbstractItemView { background: %7; color: %1; border: 1px solid %3; selection-background-color: %4; selection-color: %8; }
QPushButton { background: %6; border: 1px solid %3; padding: 2px 10px; min-height: 16px; }
QPushButton:hover { border-color: %1; }
QPushButton:pressed { background: %4; }
QPushButton:default { border-color: %4; }
QSlider::groove:horizontal { height: 4px; background: %3; }
QSlider::sub-page:horizontal { background: %4; }
QSlider::handle:horizontal { width: 8px; margin: -5px 0; background: %1; border: 1px solid %3; }
QSlider::handle:horizontal:disabled { background: %5; }
QScrollBar:vertical { background: %7; width: 14px; border: 1px solid %3; margin: 12px 0 12px 0; }
QScrollBar::handle:vertical { background: %5; min-height: 8px; }
QScrollBar::add-line:vertical { background: %6; border: 1px solid %3; height: 11px; subcontrol-position: bottom; subcontrol-origin: margin; }
QScrollBar::sub-line:vertical { background: %6; border: 1px solid %3; height: 11px; subcontrol-position: top; subcontrol-origin: margin; }
QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: none; }
)");
    sheet = sheet.arg(text.name(), rgba(box, 215), line.name(), accent.name(), muted.name(), rgba(box, 150), box.name(),
                      accentText.name());
    m_body->setStyleSheet(sheet);
    if (m_styleEditor)
        m_styleEditor->setSkin(skin());
    update();
}

EditorSkin SettingsDialog::skin() const
{
    QColor pane = m_store.color(BoxBackSlot);
    pane.setAlpha(215); // as the tab pages'
    return {.sheet = m_body->styleSheet(),
            .background = m_background,
            .color = m_store.color(ListBackSlot),
            .line = mix(m_store.color(BoxBackSlot), m_store.color(BoxForeSlot), 0.45),
            .pane = pane,
            .text = m_store.color(BoxForeSlot)};
}

// --- commands ---------------------------------------------------------------------------

void SettingsDialog::chooseFont(bool main)
{
    QFont initial(m_store.text(main ? SettingId::MainFontName : SettingId::ListFontName));
    initial.setPointSize(qMax(1, m_store.value(main ? SettingId::MainFontSize : SettingId::ListFontSize)));
    initial.setBold(m_store.isOn(main ? SettingId::MainFontBold : SettingId::ListFontBold));
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, initial, this);
    if (ok)
        m_model.setFont(main, chosen.family(), chosen.pointSizeF(), chosen.bold());
}

void SettingsDialog::chooseTagEditor()
{
    const QString path = QFileDialog::getOpenFileName(
        this, QString(), QString(), QStringLiteral("実行ファイル (*.exe);;すべてのファイル (*)"));
    m_model.chooseTagEditor(path);
}

void SettingsDialog::refreshStyleList()
{
    const QString text = m_styleCombo->currentText();
    const QSignalBlocker block(m_styleCombo);
    m_styleCombo->clear();
    m_styleCombo->addItems(m_model.StyleComboCreate());
    m_styleCombo->setEditText(text);
}

void SettingsDialog::refreshColorList()
{
    const QString text = m_colorCombo->currentText();
    const QSignalBlocker block(m_colorCombo);
    m_colorCombo->clear();
    m_colorCombo->addItems(m_model.colorProfiles().ColorComboCreate());
    m_colorCombo->setEditText(text);
}

void SettingsDialog::commitStyleText()
{
    // The refusal's message box takes the focus from the list, which would
    // commit the same text again.
    if (m_committingStyle)
        return;
    const QString text = m_styleCombo->currentText();
    if (text == m_store.text(SettingId::StyleName))
        return;
    m_committingStyle = true;
    if (!m_model.chooseStyle(text))
        m_styleCombo->setEditText(m_store.text(SettingId::StyleName));
    m_committingStyle = false;
}

void SettingsDialog::openStyleEditor()
{
    if (m_styleEditor) {
        m_styleEditor->raise();
        m_styleEditor->activateWindow();
        return;
    }
    const StyleBackgrounds shown{m_style.mainBack, m_style.panelBack, m_style.listBack, m_style.viewBack};
    m_styleEditor = new StyleEditor(m_model.openStyleEditor(m_style.folder, shown), this);
    m_styleEditor->setSkin(skin());
    connect(m_styleEditor, &StyleEditor::previewed, this, [this](const StyleBackgrounds &backgrounds) {
        m_previewed = true;
        Q_EMIT stylePreviewed(backgrounds);
    });
    connect(m_styleEditor, &StyleEditor::created, this, [this](const QString &name) {
        const bool reload = m_model.styleCreated(name);
        refreshStyleList();
        if (reload)
            Q_EMIT styleReloadRequested();
    });
    connect(m_styleEditor, &QDialog::finished, this, [this] { m_model.styleEditorClosed(); });
    // Beside the dialog, where it hides the least of the windows whose
    // pictures it changes.
    m_styleEditor->adjustSize();
    const QSize size = m_styleEditor->size();
    const QRect dialog = frameGeometry();
    const QRect candidates[] = {
        QRect(dialog.topRight() + QPoint(8, 0), size),
        QRect(dialog.topLeft() - QPoint(8 + size.width(), 0), size),
        QRect(dialog.bottomLeft() + QPoint(0, 8), size),
        QRect(dialog.topLeft() - QPoint(0, 8 + size.height()), size),
    };
    QRect place = candidates[0];
    qint64 least = std::numeric_limits<qint64>::max();
    for (QRect c : candidates) {
        if (const QScreen *s = screen())
            c = WindowPlacement::KeepInWorkArea(c, s->geometry(), s->availableGeometry());
        qint64 hidden = 0;
        for (const QWidget *w : QApplication::topLevelWidgets()) {
            const QRect covered = c & w->frameGeometry();
            if (w != m_styleEditor && w->isVisible() && !covered.isEmpty())
                hidden += qint64(covered.width()) * covered.height();
        }
        if (hidden < least) {
            least = hidden;
            place = c;
        }
    }
    m_styleEditor->move(place.topLeft());
    m_styleEditor->show();
    m_styleEditor->raise();
    m_styleEditor->activateWindow();
}

void SettingsDialog::setStyle(const Style &style)
{
    m_style = style;
    m_background = style.listBack;
    if (m_styleEditor)
        m_styleEditor->setSkin(skin());
    for (int i = 0; i < 6; ++i) {
        const QString url = i == 3 ? style.webLink : i == 4 ? style.mailLink : QString();
        if (auto *link = dynamic_cast<LinkLabel *>(m_styleInfo[std::size_t(i)]))
            link->setLink(style.info[std::size_t(i)], url, [this](const QString &u) { Q_EMIT linkActivated(u); });
    }
    update();
}

// --- place, showing and closing ----------------------------------------------------------------

void SettingsDialog::applySettings()
{
    move(m_store.pixels(SettingId::SettingLeft), m_store.pixels(SettingId::SettingTop));
}

void SettingsDialog::storeState()
{
    m_store.setPixels(SettingId::SettingLeft, x());
    m_store.setPixels(SettingId::SettingTop, y());
}

void SettingsDialog::prepareToShow()
{
    refreshStyleList();
    refreshColorList();
    showAll();
    // The stored place is the dialog's top-left corner; on a smaller screen
    // than the one it was saved on, the dialog (and its OK and Cancel
    // buttons) is pulled inside the work area whatever the drag option says.
    const QScreen *s = QGuiApplication::screenAt(frameGeometry().topLeft());
    if (!s)
        s = screen();
    if (s && !s->availableGeometry().contains(frameGeometry()))
        move(WindowPlacement::KeepInWorkArea(frameGeometry(), s->geometry(), s->availableGeometry()).topLeft());
}

void SettingsDialog::done(int result)
{
    if (result == QDialog::Accepted) {
        m_model.accepted();
    } else {
        const QString before = m_store.text(SettingId::StyleName);
        m_model.cancelled();
        // Cancel goes back to the style as its files are: without the
        // editor's pictures (a changed name has reloaded it already).
        if (m_previewed && m_store.text(SettingId::StyleName) == before)
            Q_EMIT styleReloadRequested();
    }
    m_previewed = false;
    QDialog::done(result);
}

bool SettingsDialog::eventFilter(QObject *watched, QEvent *event)
{
    // Enter in a list's text takes that name; it does not close the dialog.
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (watched == m_styleCombo->lineEdit()) {
                commitStyleText();
                return true;
            }
            if (watched == m_colorCombo->lineEdit()) {
                m_model.colorProfiles().select(m_colorCombo->currentText());
                return true;
            }
        }
    }
    // A list losing the focus is read again from its folder, keeping its text.
    if (event->type() == QEvent::FocusOut) {
        if (watched == m_styleCombo) {
            commitStyleText();
            refreshStyleList();
        } else if (watched == m_colorCombo) {
            refreshColorList();
        }
    }
    return QDialog::eventFilter(watched, event);
}

void SettingsDialog::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), m_store.color(ListBackSlot));
    if (!m_background.isNull())
        p.drawImage(rect(), m_background);
    p.setPen(mix(m_store.color(BoxBackSlot), m_store.color(BoxForeSlot), 0.45));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    QFont title = font();
    title.setBold(true);
    p.setFont(title);
    p.setPen(m_store.color(BoxForeSlot));
    p.drawText(QRect(10, 0, width() - 20, 22), Qt::AlignVCenter | Qt::AlignLeft, QStringLiteral("設定"));
}

void SettingsDialog::mousePressEvent(QMouseEvent *event)
{
    m_drag.press(event);
}

void SettingsDialog::mouseMoveEvent(QMouseEvent *event)
{
    m_drag.move(event);
}

void SettingsDialog::mouseReleaseEvent(QMouseEvent *event)
{
    m_drag.release(event);
}
