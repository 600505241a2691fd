#include "playback/ui/TrackPropertiesDialog.h"

#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>

namespace {

QLabel *selectable(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    label->setCursor(Qt::IBeamCursor);
    return label;
}

} // namespace

TrackPropertiesDialog::TrackPropertiesDialog(const TrackPropertySheet &sheet, std::function<void()> showOnDesktop,
                                             QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("trackProperties"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("%1 のプロパティ").arg(sheet.name));

    auto *content = new QWidget;
    auto *column = new QVBoxLayout(content);
    const QRect screen = (parent && parent->screen() ? parent->screen() : QGuiApplication::primaryScreen())
                             ->availableGeometry();
    // Long values wrap at about half the screen instead of widening the window past it.
    const int valueWidth = std::max(240, screen.width() / 2);
    for (const PropertySection &section : sheet.sections) {
        auto *title = new QLabel(section.title, content);
        QFont bold = title->font();
        bold.setBold(true);
        title->setFont(bold);
        column->addWidget(title);
        auto *form = new QFormLayout;
        form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
        form->setLabelAlignment(Qt::AlignRight);
        form->setContentsMargins(12, 0, 0, 8);
        for (const PropertyLine &line : section.lines) {
            QLabel *value = selectable(line.value, content);
            value->setObjectName(section.title + u'/' + line.label);
            if (value->fontMetrics().horizontalAdvance(line.value) > valueWidth) {
                value->setWordWrap(true);
                value->setMinimumWidth(valueWidth);
            }
            if (line.label.isEmpty())
                form->addRow(value);
            else
                form->addRow(line.label, value);
        }
        column->addLayout(form);
    }
    column->addStretch();

    auto *scroll = new QScrollArea(this);
    scroll->setWidget(content);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("閉じる"));
    QPushButton *copy = buttons->addButton(CopyAllText, QDialogButtonBox::ActionRole);
    copy->setObjectName(QStringLiteral("copyAll"));
    connect(copy, &QPushButton::clicked, this,
            [text = PlainText(sheet)] { QApplication::clipboard()->setText(text); });
    if (showOnDesktop) {
        QPushButton *desktop = buttons->addButton(ShowOnDesktopText, QDialogButtonBox::ActionRole);
        desktop->setObjectName(QStringLiteral("showOnDesktop"));
        connect(desktop, &QPushButton::clicked, this, [showOnDesktop] { showOnDesktop(); });
    }
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(scroll);
    layout->addWidget(buttons);

    // The content's own size plus the frame, within the work area.
    content->adjustSize();
    const QSize wanted = content->sizeHint() + QSize(scroll->verticalScrollBar() ? 24 : 0, 0) +
                         QSize(0, buttons->sizeHint().height()) + QSize(32, 40);
    resize(wanted.boundedTo(screen.size() * 85 / 100));
}

void TrackPropertiesDialog::showOnScreen()
{
    // The window manager's frame is not known before the window shows; the
    // usual title bar is allowed for now and the real one once it is there.
    constexpr int TitleBar = 32;
    const QWidget *over = parentWidget();
    const QRect area = screen()->availableGeometry();
    QPoint at = over ? over->frameGeometry().center() - QPoint(width() / 2, height() / 2) : area.topLeft();
    at.setX(qBound(area.left(), at.x(), std::max(area.left(), area.right() + 1 - width())));
    at.setY(qBound(area.top() + TitleBar, at.y(), std::max(area.top() + TitleBar, area.bottom() + 1 - height())));
    move(at - QPoint(0, TitleBar));
    show();
}

void TrackPropertiesDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    QTimer::singleShot(0, this, [this] { keepInWorkArea(); });
}

void TrackPropertiesDialog::keepInWorkArea()
{
    const QRect area = screen()->availableGeometry();
    const QRect frame = frameGeometry();
    if (area.contains(frame))
        return;
    const int x = qBound(area.left(), frame.left(), std::max(area.left(), area.right() + 1 - frame.width()));
    const int y = qBound(area.top(), frame.top(), std::max(area.top(), area.bottom() + 1 - frame.height()));
    move(x, y);
}

QString TrackPropertiesDialog::PlainText(const TrackPropertySheet &sheet)
{
    QStringList lines;
    for (const PropertySection &section : sheet.sections) {
        lines << QStringLiteral("[%1]").arg(section.title);
        for (const PropertyLine &line : section.lines)
            lines << (line.label.isEmpty() ? line.value : line.label + QStringLiteral(": ") + line.value);
    }
    return lines.join(u'\n') + u'\n';
}
