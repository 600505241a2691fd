#include "settings/ui/SettingsDialog.h"
#include "window/ui/WindowFader.h"

#include "core/ui/QtScreenAreas.h"
#include "core/ui/SkinPainting.h"
#include "settings/SettingsDialogModel.h"
#include "settings/SettingsStore.h"
#include "settings/ui/ColorTab.h"
#include "settings/ui/CustomizeTab.h"
#include "settings/ui/OptionTab.h"
#include "settings/ui/SettingsChooser.h"
#include "settings/ui/SoundTab.h"
#include "settings/ui/StyleTab.h"
#include "settings/ui/VersionTab.h"
#include "window/WindowPlacement.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

QString rgba(const QColor &c, int alpha)
{
    return QStringLiteral("rgba(%1,%2,%3,%4)").arg(c.red()).arg(c.green()).arg(c.blue()).arg(alpha);
}

QColor mix(const QColor &a, const QColor &b, double t)
{
    return QColor::fromRgbF(float(a.redF() * (1 - t) + b.redF() * t), float(a.greenF() * (1 - t) + b.greenF() * t),
                            float(a.blueF() * (1 - t) + b.blueF() * t));
}

} // namespace

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

    SettingsChooser &chooser = SettingsChooser::system();
    m_customizeTab = new CustomizeTab(model, chooser);
    m_styleTab = new StyleTab(model);
    m_colorTab = new ColorTab(model, chooser);
    m_versionTab = new VersionTab(model);
    m_soundTab = new SoundTab(model);
    m_tabs = new QTabWidget;
    m_tabs->setObjectName(QStringLiteral("SSTab1"));
    m_tabs->addTab(new OptionTab(model), QStringLiteral("Option"));
    m_tabs->addTab(m_customizeTab, QStringLiteral("Customize"));
    m_tabs->addTab(m_soundTab, QStringLiteral("Sound"));
    m_tabs->addTab(m_styleTab, QStringLiteral("Style"));
    m_tabs->addTab(m_colorTab, QStringLiteral("Color"));
    m_tabs->addTab(m_versionTab, QStringLiteral("Version"));
    // On a work area smaller than the dialog (a screen at a high scale
    // factor) the tab pages scroll; OK and Cancel stay in sight below them.
    m_tabScroll = new QScrollArea;
    m_tabScroll->setObjectName(QStringLiteral("tabScroll"));
    m_tabScroll->setFrameShape(QFrame::NoFrame);
    m_tabScroll->setWidgetResizable(true);
    m_tabScroll->setWidget(m_tabs);
    m_tabs->setAutoFillBackground(false); // the skin's picture shows through
    layout->addWidget(m_tabScroll);
    connect(m_styleTab, &StyleTab::linkActivated, this, &SettingsDialog::linkActivated);
    connect(m_styleTab, &StyleTab::stylePreviewed, this, &SettingsDialog::stylePreviewed);
    connect(m_styleTab, &StyleTab::styleReloadRequested, this, &SettingsDialog::styleReloadRequested);
    connect(m_versionTab, &VersionTab::linkActivated, this, &SettingsDialog::linkActivated);

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

    // The tabs follow the store themselves; the skin follows its colours.
    connect(&m_store, &SettingsStore::valueChanged, this, [this](SettingId id) {
        if (id == SettingId::BoxBackColor || id == SettingId::BoxForeColor || id == SettingId::ListBackColor
            || id == SettingId::SelectBackColor || id == SettingId::SelectForeColor)
            restyle();
    });
    for (int i = 0; i < m_tabs->count(); ++i)
        static_cast<SettingsTab *>(m_tabs->widget(i))->load();
    restyle();
    // The natural size has every page in full sight (a scroll area's own
    // size hint is bounded).
    const QSize hidden = (m_tabs->sizeHint() - m_tabScroll->sizeHint()).expandedTo(QSize(0, 0));
    m_naturalSize = (sizeHint() + hidden).expandedTo(QSize(640, 0));
    setMaximumSize(m_naturalSize);
    resize(m_naturalSize);
}

SettingsDialog::~SettingsDialog() = default;

void SettingsDialog::setVersionSource(std::function<VersionInfo()> source)
{
    m_versionTab->setSource(std::move(source));
}

void SettingsDialog::setOutputDeviceSource(std::function<QStringList()> source)
{
    m_soundTab->setDeviceSource(std::move(source));
}

void SettingsDialog::setChooser(SettingsChooser &chooser)
{
    m_customizeTab->setChooser(chooser);
    m_colorTab->setChooser(chooser);
}

QWidget *SettingsDialog::controlOf(SettingId id) const
{
    for (int i = 0; i < m_tabs->count(); ++i)
        if (QWidget *c = static_cast<SettingsTab *>(m_tabs->widget(i))->controlOf(id))
            return c;
    return nullptr;
}

QComboBox *SettingsDialog::styleCombo() const
{
    return m_styleTab->styleCombo();
}

StyleEditor *SettingsDialog::styleEditor() const
{
    return m_styleTab->styleEditor();
}

// --- the skin ---------------------------------------------------------------------------

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
#tabScroll, #tabScroll > QWidget { background: transparent; }
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
QScrollBar:horizontal { background: %7; height: 14px; border: 1px solid %3; margin: 0 12px 0 12px; }
QScrollBar::handle:horizontal { background: %5; min-width: 8px; }
QScrollBar::add-line:horizontal { background: %6; border: 1px solid %3; width: 11px; subcontrol-position: right; subcontrol-origin: margin; }
QScrollBar::sub-line:horizontal { background: %6; border: 1px solid %3; width: 11px; subcontrol-position: left; subcontrol-origin: margin; }
QScrollBar::add-page:horizontal, QScrollBar::sub-page:horizontal { background: none; }
)");
    sheet = sheet.arg(text.name(), rgba(box, 215), line.name(), accent.name(), muted.name(), rgba(box, 150), box.name(),
                      accentText.name());
    m_body->setStyleSheet(sheet);
    m_styleTab->setEditorSkin(skin());
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

// --- place, showing and closing ----------------------------------------------------------------

void SettingsDialog::setStyle(const Style &style)
{
    m_background = style.listBack;
    m_styleTab->setStyle(style);
    m_styleTab->setEditorSkin(skin());
    update();
}

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
    for (int i = 0; i < m_tabs->count(); ++i)
        static_cast<SettingsTab *>(m_tabs->widget(i))->load();
    // The stored place is the dialog's top-left corner; on a smaller screen
    // than the one it was saved on, or at a larger scale, the dialog (and
    // its OK and Cancel buttons) is pulled wholly inside the work area
    // whatever the drag option says, its pages scrolling where the area is
    // smaller than the dialog.
    const QRect area = WindowPlacement::WorkAreaOf(frameGeometry(), QtScreenAreas().availableAreas());
    if (area.isEmpty())
        return;
    const QSize frame = frameGeometry().size() - size();
    const QSize fitting = m_naturalSize.boundedTo((area.size() - frame).expandedTo(QSize(1, 1)));
    setMaximumSize(fitting);
    resize(fitting);
    const QRect placed = frameGeometry();
    const QRect kept = WindowPlacement::FitInWorkArea(placed, area, placed.size());
    if (kept != placed)
        move(pos() + kept.topLeft() - placed.topLeft());
}

void SettingsDialog::done(int result)
{
    // A second OK or Cancel while the first fades the dialog out.
    if (m_fader && m_fader->isFadingOut())
        return;
    const bool previewed = m_styleTab->takePreviewed();
    if (result == QDialog::Accepted) {
        m_model.accepted();
    } else {
        const QString before = m_store.text(SettingId::StyleName);
        m_model.cancelled();
        // Cancel goes back to the style as its files are: without the
        // editor's pictures (a changed name has reloaded it already).
        if (previewed && m_store.text(SettingId::StyleName) == before)
            Q_EMIT styleReloadRequested();
    }
    if (m_fader && m_fadeOnClose && m_store.isOn(SettingId::Fade) && isVisible()) {
        // The dialog closes (finished(), accepted() or rejected()) once it has faded out.
        connect(m_fader, &WindowFader::fadedOut, this, [this, result] { QDialog::done(result); },
                Qt::SingleShotConnection);
        m_fader->fadeOut();
        return;
    }
    QDialog::done(result);
}

void SettingsDialog::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), m_store.color(ListBackSlot));
    if (!m_background.isNull())
        drawSkinImage(p, rect(), m_background);
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
