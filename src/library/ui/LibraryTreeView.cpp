#include "library/ui/LibraryTreeView.h"

#include "core/NativePath.h"
#include "library/LibraryTree.h"

#include <QCursor>
#include <QDragEnterEvent>
#include <QHeaderView>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QSet>
#include <QStyledItemDelegate>

namespace {

constexpr int KeyRole = Qt::UserRole + 1;

} // namespace

// Draws each node in the tree's colours and reports label edits instead of
// writing them: the tree decides what the label then says.
class LibraryTreeView::Delegate : public QStyledItemDelegate
{
public:
    explicit Delegate(LibraryTreeView *view) : QStyledItemDelegate(view), m_view(view) {}

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const bool selected = option.state & QStyle::State_Selected;
        const int node = index.data(Qt::UserRole).toInt();
        const TreeColors::Item colors = m_view->colors().itemColors(!index.parent().isValid(), selected);
        const QRect r = option.rect;

        painter->save();
        const QSize iconSize = m_view->iconSize();
        const QRect iconRect(r.left() + 1, r.top() + (r.height() - iconSize.height()) / 2, iconSize.width(),
                             iconSize.height());
        const QIcon icon = index.data(Qt::DecorationRole).value<QIcon>();
        icon.paint(painter, iconRect, Qt::AlignCenter, selected ? QIcon::Selected : QIcon::Normal);

        QFont font = option.font;
        font.setUnderline(node == m_view->hotNode());
        const QFontMetrics metrics(font);
        const int textLeft = iconRect.right() + 3;
        const QString text = metrics.elidedText(index.data(Qt::DisplayRole).toString(), Qt::ElideRight,
                                                qMax(0, r.right() - textLeft - 4));
        // Only the label's own box takes the background, as in a tree control.
        const QRect textRect = QRect(textLeft, r.top(), metrics.horizontalAdvance(text) + 4, r.height()).intersected(r);
        painter->fillRect(textRect, colors.back);
        painter->setFont(font);
        painter->setPen(colors.text);
        painter->drawText(textRect.adjusted(2, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, text);
        painter->restore();
    }

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QWidget *editor = QStyledItemDelegate::createEditor(parent, option, index);
        Q_EMIT m_view->labelEditStarted(index.data(Qt::UserRole).toInt());
        return editor;
    }

    void setModelData(QWidget *editor, QAbstractItemModel *, const QModelIndex &index) const override
    {
        const auto *line = qobject_cast<QLineEdit *>(editor);
        if (!line)
            return;
        // Reported once the editor has closed: the answer may show a
        // message box, which must not run inside the editor's commit. The
        // click that closed the editor may have changed the tree meanwhile,
        // so the node is found again by its key (and the edit dropped when
        // it is gone).
        const QString key = index.data(KeyRole).toString();
        const QString text = line->text();
        QPointer<LibraryTreeView> view = m_view;
        QMetaObject::invokeMethod(
            m_view,
            [view, key, text] {
                if (!view)
                    return;
                const int node = view->m_tree.indexOfKey(key);
                if (node >= 0)
                    Q_EMIT view->labelEdited(node, text);
            },
            Qt::QueuedConnection);
    }

private:
    LibraryTreeView *m_view;
};

LibraryTreeView::LibraryTreeView(LibraryTree &tree, QWidget *parent) : QTreeWidget(parent), m_tree(tree)
{
    setObjectName(QStringLiteral("treTreeView"));
    setHeaderHidden(true);
    setColumnCount(1);
    setSelectionMode(QAbstractItemView::SingleSelection);
    // Labels are edited through the menu and F2; a click only selects.
    setEditTriggers(QAbstractItemView::EditKeyPressed);
    setIndentation(14);
    setUniformRowHeights(true);
    setIconSize(QSize(16, 16));
    setMouseTracking(true);
    setItemDelegate(new Delegate(this));
    setDragDropMode(QAbstractItemView::NoDragDrop);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);

    connect(&m_tree, &LibraryTree::rebuilt, this, [this] { rebuild(false); });
    connect(&m_tree, &LibraryTree::edited, this, [this] { rebuild(true); });
    connect(&m_tree, &LibraryTree::nodeRenamed, this, [this](int index) {
        if (QTreeWidgetItem *item = itemOfNode(index)) {
            m_syncing = true;
            item->setText(0, m_tree.nodes()[size_t(index)].text);
            m_syncing = false;
        }
        // The keys below the node changed with it.
        const auto &nodes = m_tree.nodes();
        for (size_t i = 0; i < m_items.size() && i < nodes.size(); ++i)
            m_items[i]->setData(0, KeyRole, nodes[i].key);
    });
    connect(&m_tree, &LibraryTree::selectionChanged, this, &LibraryTreeView::showSelection);
    // Keyboard moves select a node without opening it.
    connect(this, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem *current) {
        if (m_syncing || !current)
            return;
        m_tree.select(current->data(0, Qt::UserRole).toInt());
    });
    rebuild(false);
}

QIcon LibraryTreeView::iconFor(int image, int selectedImage) const
{
    QIcon icon;
    auto picture = [this](int i) { return i >= 1 && i <= int(m_icons.size()) ? m_icons[size_t(i - 1)] : QImage(); };
    const QImage normal = picture(image);
    const QImage selected = picture(selectedImage);
    if (!normal.isNull())
        icon.addPixmap(QPixmap::fromImage(normal), QIcon::Normal);
    if (!selected.isNull())
        icon.addPixmap(QPixmap::fromImage(selected), QIcon::Selected);
    return icon;
}

void LibraryTreeView::setIcons(const std::array<QImage, 10> &icons)
{
    m_icons = icons;
    const auto &nodes = m_tree.nodes();
    for (size_t i = 0; i < m_items.size() && i < nodes.size(); ++i)
        m_items[i]->setIcon(0, iconFor(nodes[i].image, nodes[i].selectedImage));
}

void LibraryTreeView::setColors(const QColor &text, const QColor &back, const QColor &selectedText,
                                const QColor &selectedBack)
{
    m_colors = TreeColors{text, back, selectedText, selectedBack};
    QPalette pal = palette();
    for (QPalette::ColorGroup g : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        pal.setColor(g, QPalette::Base, back);
        pal.setColor(g, QPalette::Window, back);
        pal.setColor(g, QPalette::Text, text);
        // The nodes draw their own selection; the row and the branch area
        // stay in the tree's background.
        pal.setColor(g, QPalette::Highlight, back);
        pal.setColor(g, QPalette::HighlightedText, text);
    }
    setPalette(pal);
    viewport()->update();
}

void LibraryTreeView::rebuild(bool keepExpanded)
{
    QSet<QString> expanded;
    if (keepExpanded) {
        for (QTreeWidgetItem *item : m_items) {
            if (item->isExpanded())
                expanded.insert(item->data(0, KeyRole).toString());
        }
    }
    m_syncing = true;
    m_hotNode = -1;
    clear();
    m_items.clear();
    const auto &nodes = m_tree.nodes();
    m_items.reserve(nodes.size());
    for (size_t i = 0; i < nodes.size(); ++i) {
        const TreeNode &n = nodes[i];
        QTreeWidgetItem *parent = n.parent >= 0 && size_t(n.parent) < m_items.size() ? m_items[size_t(n.parent)] : nullptr;
        auto *item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(this);
        item->setText(0, n.text);
        item->setData(0, Qt::UserRole, int(i));
        item->setData(0, KeyRole, n.key);
        item->setIcon(0, iconFor(n.image, n.selectedImage));
        item->setFlags(item->flags() | Qt::ItemIsEditable);
        m_items.push_back(item);
    }
    for (QTreeWidgetItem *item : m_items) {
        if (expanded.contains(item->data(0, KeyRole).toString()))
            item->setExpanded(true);
    }
    m_syncing = false;
    showSelection();
}

void LibraryTreeView::showSelection()
{
    m_syncing = true;
    QTreeWidgetItem *item = itemOfNode(m_tree.selectedIndex());
    if (item) {
        setCurrentItem(item);
        scrollToItem(item);
    } else {
        clearSelection();
        setCurrentItem(nullptr);
    }
    m_syncing = false;
}

QTreeWidgetItem *LibraryTreeView::itemOfNode(int index) const
{
    return index >= 0 && size_t(index) < m_items.size() ? m_items[size_t(index)] : nullptr;
}

int LibraryTreeView::nodeAt(const QPoint &viewportPos) const
{
    const QTreeWidgetItem *item = itemAt(viewportPos);
    return item ? item->data(0, Qt::UserRole).toInt() : -1;
}

void LibraryTreeView::setSingleClickExpand(bool on)
{
    m_singleClickExpand = on;
    setExpandsOnDoubleClick(!on);
    viewport()->update();
}

void LibraryTreeView::editNode(int index)
{
    QTreeWidgetItem *item = itemOfNode(index);
    if (!item)
        return;
    for (QTreeWidgetItem *p = item->parent(); p; p = p->parent())
        p->setExpanded(true);
    scrollToItem(item);
    editItem(item, 0);
}

void LibraryTreeView::setHotNode(int node)
{
    if (node == m_hotNode)
        return;
    m_hotNode = node;
    viewport()->update();
}

void LibraryTreeView::mouseMoveEvent(QMouseEvent *event)
{
    setHotNode(nodeAt(event->position().toPoint()));
    QTreeWidget::mouseMoveEvent(event);
}

bool LibraryTreeView::viewportEvent(QEvent *event)
{
    if (event->type() == QEvent::Leave)
        setHotNode(-1);
    return QTreeWidget::viewportEvent(event);
}

int LibraryTreeView::hotNode() const
{
    if (!m_singleClickExpand || m_hotNode < 0)
        return -1;
    return viewport()->rect().contains(viewport()->mapFromGlobal(QCursor::pos())) ? m_hotNode : -1;
}

void LibraryTreeView::mousePressEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    if (event->button() == Qt::RightButton) {
        Q_EMIT rightPressed(nodeAt(pos), event->globalPosition().toPoint());
        return;
    }
    QTreeWidgetItem *before = currentItem();
    QTreeWidget::mousePressEvent(event);
    QTreeWidgetItem *after = itemAt(pos);
    if (m_singleClickExpand && event->button() == Qt::LeftButton && after && after == currentItem() &&
        after != before) {
        bool holdsNew = false;
        for (QTreeWidgetItem *p = after->parent(); p; p = p->parent())
            holdsNew = holdsNew || p == before;
        if (before && !holdsNew)
            before->setExpanded(false);
        after->setExpanded(true);
    }
    if (event->button() != Qt::LeftButton)
        return;
    const int node = nodeAt(pos);
    // A press on the expand arrow only expands; a press on the node's row opens it.
    const QTreeWidgetItem *item = itemOfNode(node);
    if (item && visualItemRect(item).contains(pos) && pos.x() >= visualItemRect(item).left())
        Q_EMIT nodeClicked(node);
}

void LibraryTreeView::dragEnterEvent(QDragEnterEvent *event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void LibraryTreeView::dragMoveEvent(QDragMoveEvent *event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void LibraryTreeView::dropEvent(QDropEvent *event)
{
    const QStringList paths = NativePath::localPathsOfUrls(event->mimeData()->urls());
    event->acceptProposedAction();
    if (!paths.isEmpty())
        Q_EMIT filesDropped(paths);
}
