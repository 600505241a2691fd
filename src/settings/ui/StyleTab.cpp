#include "settings/ui/StyleTab.h"

#include "core/ui/QtScreenAreas.h"
#include "settings/SettingsDialogModel.h"
#include "settings/SettingsStore.h"
#include "settings/ui/LinkLabel.h"
#include "window/WindowPlacement.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <limits>

StyleTab::StyleTab(SettingsDialogModel &model, QWidget *parent)
    : SettingsTab(model, parent)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 12, 14, 12);
    layout->setSpacing(8);

    m_combo = new QComboBox;
    m_combo->setObjectName(QStringLiteral("cboStyleSelect"));
    m_combo->setEditable(true);
    m_combo->setInsertPolicy(QComboBox::NoInsert);
    m_combo->setEditText(Style::DefaultName);
    m_combo->installEventFilter(this);
    connect(m_combo, &QComboBox::textActivated, this, [this](const QString &) { commitText(); });
    m_combo->lineEdit()->installEventFilter(this);
    auto *styleRow = new QHBoxLayout;
    styleRow->addWidget(m_combo, 1);
    auto *create = new QPushButton(QStringLiteral("スタイル作成"));
    create->setObjectName(QStringLiteral("cmdStyleCreate"));
    connect(create, &QPushButton::clicked, this, &StyleTab::openEditor);
    styleRow->addWidget(create);
    layout->addLayout(styleRow);

    layout->addWidget(m_binder.check(SettingId::Flat, QStringLiteral("フラット表示")));
    layout->addWidget(m_binder.check(SettingId::MainStretch, QStringLiteral("ミニフェイスの背景をウインドウサイズにフィット")));
    layout->addWidget(m_binder.check(SettingId::ListStretch, QStringLiteral("プレイリストの背景をウインドウサイズにフィット")));

    auto *info = new QGridLayout;
    info->setColumnStretch(1, 1);
    const char *captions[] = {"名称：", "Build：", "製作者：", "URL：", "E-Mail：", "コメント："};
    for (int i = 0; i < 6; ++i) {
        info->addWidget(new QLabel(QString::fromUtf8(captions[i])), i, 0, Qt::AlignRight | Qt::AlignTop);
        auto *value = new LinkLabel;
        value->setObjectName(QStringLiteral("StyleInfo%1").arg(i));
        value->setText(QStringLiteral("Unknown"));
        value->setWordWrap(i == 5);
        value->setTextFormat(Qt::PlainText);
        info->addWidget(value, i, 1);
        m_info[std::size_t(i)] = value;
    }
    layout->addWidget(group("スタイル情報", info));
    layout->addStretch();
}

void StyleTab::load()
{
    refreshList();
    SettingsTab::load();
}

void StyleTab::showSetting(SettingId id)
{
    SettingsTab::showSetting(id);
    if (id == SettingId::StyleName && m_combo->currentText() != m_store.text(id))
        m_combo->setEditText(m_store.text(id));
}

void StyleTab::setStyle(const Style &style)
{
    m_style = style;
    for (int i = 0; i < 6; ++i) {
        const QString url = i == 3 ? style.webLink : i == 4 ? style.mailLink : QString();
        m_info[std::size_t(i)]->setLink(style.info[std::size_t(i)], url,
                                        [this](const QString &u) { Q_EMIT linkActivated(u); });
    }
}

void StyleTab::setEditorSkin(const EditorSkin &skin)
{
    m_skin = skin;
    if (m_editor)
        m_editor->setSkin(skin);
}

void StyleTab::refreshList()
{
    const QString text = m_combo->currentText();
    const QSignalBlocker block(m_combo);
    m_combo->clear();
    m_combo->addItems(m_model.StyleComboCreate());
    m_combo->setEditText(text);
}

void StyleTab::commitText()
{
    // The refusal's message box takes the focus from the list, which would
    // commit the same text again.
    if (m_committing)
        return;
    const QString text = m_combo->currentText();
    if (text == m_store.text(SettingId::StyleName))
        return;
    m_committing = true;
    if (!m_model.chooseStyle(text))
        m_combo->setEditText(m_store.text(SettingId::StyleName));
    m_committing = false;
}

bool StyleTab::eventFilter(QObject *watched, QEvent *event)
{
    // Enter in the list's text takes that name; it does not close the dialog.
    if (event->type() == QEvent::KeyPress && watched == m_combo->lineEdit()) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            commitText();
            return true;
        }
    }
    // The list losing the focus is read again from its folder, keeping its text.
    if (event->type() == QEvent::FocusOut && watched == m_combo) {
        commitText();
        refreshList();
    }
    return SettingsTab::eventFilter(watched, event);
}

void StyleTab::openEditor()
{
    if (m_editor) {
        m_editor->raise();
        m_editor->activateWindow();
        return;
    }
    const StyleBackgrounds shown{m_style.mainBack, m_style.panelBack, m_style.listBack, m_style.viewBack};
    m_editor = new StyleEditor(m_model.openStyleEditor(m_style.folder, shown), window());
    m_editor->setSkin(m_skin);
    connect(m_editor, &StyleEditor::previewed, this, [this](const StyleBackgrounds &backgrounds) {
        m_previewed = true;
        Q_EMIT stylePreviewed(backgrounds);
    });
    connect(m_editor, &StyleEditor::created, this, [this](const QString &name) {
        const bool reload = m_model.styleCreated(name);
        refreshList();
        if (reload)
            Q_EMIT styleReloadRequested();
    });
    connect(m_editor, &QDialog::finished, this, [this] { m_model.styleEditorClosed(); });
    placeEditor();
    m_editor->show();
    m_editor->raise();
    m_editor->activateWindow();
}

void StyleTab::placeEditor()
{
    // Beside the dialog, where it hides the least of the windows whose
    // pictures it changes.
    m_editor->adjustSize();
    const QSize size = m_editor->size();
    const QRect dialog = window()->frameGeometry();
    const QRect candidates[] = {
        QRect(dialog.topRight() + QPoint(8, 0), size),
        QRect(dialog.topLeft() - QPoint(8 + size.width(), 0), size),
        QRect(dialog.bottomLeft() + QPoint(0, 8), size),
        QRect(dialog.topLeft() - QPoint(0, 8 + size.height()), size),
    };
    QRect place = candidates[0];
    qint64 least = std::numeric_limits<qint64>::max();
    // Wholly inside the work area, made smaller where the area is (a screen
    // at a high scale factor).
    const QRect area = WindowPlacement::WorkAreaOf(dialog, QtScreenAreas().availableAreas());
    for (QRect c : candidates) {
        c = WindowPlacement::FitInWorkArea(c, area, m_editor->minimumSize());
        qint64 hidden = 0;
        for (const QWidget *w : QApplication::topLevelWidgets()) {
            const QRect covered = c & w->frameGeometry();
            if (w != m_editor && w->isVisible() && !covered.isEmpty())
                hidden += qint64(covered.width()) * covered.height();
        }
        if (hidden < least) {
            least = hidden;
            place = c;
        }
    }
    m_editor->resize(place.size());
    m_editor->move(place.topLeft());
}
