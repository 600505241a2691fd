#include "settings/ui/ColorTab.h"

#include "settings/ColorProfiles.h"
#include "settings/SettingsDialogModel.h"
#include "settings/SettingsStore.h"
#include "settings/ui/SettingsChooser.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include <functional>

// A colour box: shows its slot's colour; a click asks for another.
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

ColorTab::ColorTab(SettingsDialogModel &model, SettingsChooser &chooser, QWidget *parent)
    : SettingsTab(model, parent)
    , m_chooser(&chooser)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);

    auto *profileRow = new QHBoxLayout;
    m_combo = new QComboBox;
    m_combo->setObjectName(QStringLiteral("cboColorSelect"));
    m_combo->setEditable(true);
    m_combo->setInsertPolicy(QComboBox::NoInsert);
    m_combo->setEditText(QStringLiteral("AutoColor"));
    m_combo->installEventFilter(this);
    m_combo->lineEdit()->installEventFilter(this);
    connect(m_combo, &QComboBox::textActivated, this,
            [this](const QString &name) { m_model.colorProfiles().select(name); });
    auto *save = new QPushButton(QStringLiteral("保存"));
    save->setObjectName(QStringLiteral("cmdColorSave"));
    save->setToolTip(QStringLiteral("カラープロファイルを保存"));
    connect(save, &QPushButton::clicked, this, [this] {
        const std::optional<QString> name = m_model.colorProfiles().save(m_combo->currentText());
        refreshList();
        if (name)
            m_combo->setEditText(*name);
    });
    auto *remove = new QPushButton(QStringLiteral("削除"));
    remove->setObjectName(QStringLiteral("cmdColorDelete"));
    remove->setToolTip(QStringLiteral("カラープロファイルを削除"));
    connect(remove, &QPushButton::clicked, this, [this] {
        const bool deleted = m_model.colorProfiles().remove(m_combo->currentText());
        refreshList();
        // The slots keep their colours, which are saved as AutoColor: that
        // is the profile in effect once the chosen one is gone.
        if (deleted)
            m_combo->setEditText(QStringLiteral("AutoColor"));
    });
    auto *defaults = new QPushButton(QStringLiteral("初期値に戻す"));
    defaults->setObjectName(QStringLiteral("cmdColorDefault"));
    defaults->setToolTip(QStringLiteral("すべての色を初期値に戻す"));
    connect(defaults, &QPushButton::clicked, this, [this] { m_model.restoreDefaultColors(); });
    profileRow->addWidget(m_combo, 1);
    profileRow->addWidget(save);
    profileRow->addWidget(remove);
    profileRow->addWidget(defaults);
    layout->addLayout(profileRow);

    const auto boxes = [this](std::span<const ColorBox> table, int columns) {
        auto *grid = new QGridLayout;
        grid->setHorizontalSpacing(8);
        grid->setVerticalSpacing(5);
        int i = 0;
        for (const ColorBox &box : table) {
            auto *swatch = new ColorSwatch(box.slot, [this](int slot) {
                const QColor chosen = m_chooser->color(m_store.color(ColorSlot(slot)), this);
                if (chosen.isValid())
                    m_model.pickColor(slot, SettingsStore::refFromColor(chosen));
            });
            m_swatches[std::size_t(box.slot)] = swatch;
            const int row = i / columns;
            const int col = (i % columns) * 2;
            grid->addWidget(swatch, row, col);
            grid->addWidget(new QLabel(QString::fromUtf8(box.caption)), row, col + 1);
            ++i;
        }
        for (int c = 0; c < columns; ++c)
            grid->setColumnStretch(c * 2 + 1, 1);
        return grid;
    };
    layout->addWidget(group("ミニフェイス", boxes(miniFaceColorBoxes(), 2)));
    layout->addWidget(group("プレイリスト", boxes(playlistColorBoxes(), 2)));
    layout->addStretch();
}

void ColorTab::load()
{
    refreshList();
    SettingsTab::load();
}

void ColorTab::showSetting(SettingId id)
{
    if (!isColorSetting(id))
        return;
    for (int slot = 0; slot < ColorSlotCount; ++slot)
        if (colorSlotSetting(slot) == id && m_swatches[std::size_t(slot)])
            m_swatches[std::size_t(slot)]->setColor(m_store.color(ColorSlot(slot)));
}

void ColorTab::refreshList()
{
    const QString text = m_combo->currentText();
    const QSignalBlocker block(m_combo);
    m_combo->clear();
    m_combo->addItems(m_model.colorProfiles().ColorComboCreate());
    m_combo->setEditText(text);
}

bool ColorTab::eventFilter(QObject *watched, QEvent *event)
{
    // Enter in the list's text chooses that profile; it does not close the dialog.
    if (event->type() == QEvent::KeyPress && watched == m_combo->lineEdit()) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            m_model.colorProfiles().select(m_combo->currentText());
            return true;
        }
    }
    // The list losing the focus is read again from its folder, keeping its text.
    if (event->type() == QEvent::FocusOut && watched == m_combo)
        refreshList();
    return SettingsTab::eventFilter(watched, event);
}
