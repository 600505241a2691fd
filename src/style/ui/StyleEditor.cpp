#include "style/ui/StyleEditor.h"

#include "core/ui/SkinPainting.h"

#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QString Title = QStringLiteral("Velmora Style Easy Creater");
constexpr int TitleHeight = 22;

QString tr8(const char *text)
{
    return QString::fromUtf8(text);
}

QString choosePicture(QWidget *parent)
{
    return QFileDialog::getOpenFileName(parent, QString(), QString(),
                                        QStringLiteral("画像ファイル (*.bmp *.jpg);;すべてのファイル (*)"));
}

} // namespace

StyleEditor::StyleEditor(std::unique_ptr<StyleEditorModel> model, QWidget *parent)
    : QDialog(parent, Qt::Window | Qt::FramelessWindowHint)
    , m_model(std::move(model))
    , m_chooser(choosePicture)
{
    setObjectName(QStringLiteral("StyleCreate"));
    setWindowTitle(Title);
    setModal(false);
    setAttribute(Qt::WA_DeleteOnClose);
    connect(m_model.get(), &StyleEditorModel::backgroundsChanged, this,
            [this](bool) { Q_EMIT previewed(m_model->backgrounds()); });

    m_body = new QWidget(this);
    m_body->setObjectName(QStringLiteral("body"));
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(10, TitleHeight + 4, 10, 10);
    outer->addWidget(m_body);
    auto *columns = new QHBoxLayout(m_body);
    columns->setContentsMargins(0, 0, 0, 0);
    columns->setSpacing(8);

    auto *left = new QVBoxLayout;
    m_name = new QLineEdit(m_model->defaultName());
    m_name->setObjectName(QStringLiteral("txtStyleName"));
    auto *nameBox = new QGroupBox(QStringLiteral("作成するスタイル名称"));
    (new QVBoxLayout(nameBox))->addWidget(m_name);
    left->addWidget(nameBox);

    auto *infoBox = new QGroupBox(QStringLiteral("スタイル情報"));
    auto *info = new QGridLayout(infoBox);
    info->setVerticalSpacing(4);
    const char *captions[] = {"名称：", "Version：", "作者：", "URL：", "E-Mail：", "コメント："};
    const char *names[] = {"txtInfoStyleName", "txtInfoStyleVersion", "txtInfoStyleCreater",
                           "txtInfoStyleURL",  "txtInfoStyleMail",    "txtInfoStyleComment"};
    for (int i = 0; i < 6; ++i) {
        info->addWidget(new QLabel(tr8(captions[i])), i, 0, Qt::AlignRight);
        auto *box = new QLineEdit;
        box->setObjectName(QString::fromLatin1(names[i]));
        info->addWidget(box, i, 1);
        m_info[std::size_t(i)] = box;
    }
    left->addWidget(infoBox);
    left->addStretch();
    columns->addLayout(left, 1);

    using M = StyleEditorModel;
    auto *right = new QVBoxLayout;
    right->addWidget(pictureGroup("ミニフェイス　※色を使う場合は設定不要", M::MainBack, {"背景", "ディスプレイ", "両方同時"},
                                  {"cmdMiniFaceBack", "cmdMiniFaceBackClear", "cmdMiniFaceDisplay",
                                   "cmdMiniFaceDisplayClear", "cmdMiniFaceAll", "cmdMiniFaceAllClear"},
                                  {"Label5", "Label6", "Label7"}));
    right->addWidget(pictureGroup("プレイリスト　※色を使う場合は設定不要", M::ListBack, {"背景", "リスト", "両方同時"},
                                  {"cmdPlaylistBack", "cmdPlaylistBackClear", "cmdPlaylistListViewBack",
                                   "cmdPlaylistListViewBackClear", "cmdPlaylistAll", "cmdPlaylistAllClear"},
                                  {"Label14", "Label15", "Label16"}));
    right->addWidget(new QLabel(QStringLiteral("※ボタン類はコピー元のものが適用されます。")));
    right->addStretch();
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    auto *createButton = new QPushButton(QStringLiteral("作成"));
    createButton->setObjectName(QStringLiteral("cmdCreate"));
    connect(createButton, &QPushButton::clicked, this, &StyleEditor::create);
    auto *cancel = new QPushButton(QStringLiteral("キャンセル"));
    cancel->setObjectName(QStringLiteral("cmdCancel"));
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    buttons->addWidget(createButton);
    buttons->addWidget(cancel);
    right->addLayout(buttons);
    columns->addLayout(right, 1);

    showLabels();
    setMinimumWidth(620);
}

StyleEditor::~StyleEditor() = default;

QWidget *StyleEditor::pictureGroup(const char *caption, StyleEditorModel::Row first, std::array<const char *, 3> rows,
                                   std::array<const char *, 6> buttonNames, std::array<const char *, 3> labelNames)
{
    auto *box = new QGroupBox(tr8(caption));
    auto *grid = new QGridLayout(box);
    grid->setVerticalSpacing(4);
    for (int i = 0; i < 3; ++i) {
        const auto row = StyleEditorModel::Row(first + i);
        auto *set = new QPushButton(QStringLiteral("設定"));
        set->setObjectName(QString::fromLatin1(buttonNames[std::size_t(i * 2)]));
        connect(set, &QPushButton::clicked, this, [this, row] {
            if (m_model->pick(row, m_chooser(this)))
                showLabels();
        });
        auto *clear = new QPushButton(QStringLiteral("解除"));
        clear->setObjectName(QString::fromLatin1(buttonNames[std::size_t(i * 2 + 1)]));
        connect(clear, &QPushButton::clicked, this, [this, row] {
            m_model->clear(row);
            showLabels();
        });
        auto *label = new QLabel;
        label->setObjectName(QString::fromLatin1(labelNames[std::size_t(i)]));
        label->setTextFormat(Qt::PlainText);
        label->setMinimumWidth(110);
        m_labels[std::size_t(row)] = label;
        auto *caption = new QLabel(tr8(rows[std::size_t(i)]));
        // Both groups' buttons stand in one column.
        caption->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("ディスプレイ")) + 6);
        grid->addWidget(caption, i, 0);
        grid->addWidget(set, i, 1);
        grid->addWidget(clear, i, 2);
        grid->addWidget(label, i, 3);
    }
    grid->setColumnStretch(3, 1);
    return box;
}

void StyleEditor::showLabels()
{
    for (int r = 0; r < StyleEditorModel::RowCount; ++r) {
        const QString text = m_model->label(StyleEditorModel::Row(r));
        m_labels[std::size_t(r)]->setText(fontMetrics().elidedText(text, Qt::ElideMiddle, 160));
        m_labels[std::size_t(r)]->setToolTip(text);
    }
}

void StyleEditor::create()
{
    std::array<QString, 6> info;
    for (std::size_t i = 0; i < info.size(); ++i)
        info[i] = m_info[i]->text();
    if (const std::optional<QString> name = m_model->create(m_name->text(), info)) {
        Q_EMIT created(*name);
        accept();
    }
}

void StyleEditor::setSkin(const EditorSkin &skin)
{
    m_skin = skin;
    m_body->setStyleSheet(skin.sheet);
    update();
}

void StyleEditor::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), m_skin.color.isValid() ? m_skin.color : palette().color(QPalette::Window));
    if (!m_skin.background.isNull())
        drawSkinImage(p, rect(), m_skin.background);
    p.setPen(m_skin.line.isValid() ? m_skin.line : palette().color(QPalette::Mid));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    if (m_skin.pane.isValid()) {
        const QRect pane = m_body->geometry().adjusted(-4, -4, 4, 4);
        p.fillRect(pane, m_skin.pane);
        p.drawRect(pane.adjusted(0, 0, -1, -1));
    }
    QFont title = font();
    title.setBold(true);
    p.setFont(title);
    p.setPen(m_skin.text.isValid() ? m_skin.text : palette().color(QPalette::WindowText));
    p.drawText(QRect(10, 0, width() - 20, TitleHeight), Qt::AlignVCenter | Qt::AlignLeft, Title);
}

void StyleEditor::mousePressEvent(QMouseEvent *event)
{
    m_drag.press(event);
}

void StyleEditor::mouseMoveEvent(QMouseEvent *event)
{
    m_drag.move(event);
}

void StyleEditor::mouseReleaseEvent(QMouseEvent *event)
{
    m_drag.release(event);
}
