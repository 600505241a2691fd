#include "library/ui/LibraryTreeView.h"

#include "library/LibraryTree.h"

#include <QHeaderView>
#include <QMouseEvent>

LibraryTreeView::LibraryTreeView(LibraryTree &tree, QWidget *parent) : QTreeWidget(parent), m_tree(tree)
{
    setObjectName(QStringLiteral("treTreeView"));
    setHeaderHidden(true);
    setColumnCount(1);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setIndentation(14);
    setUniformRowHeights(true);
    setIconSize(QSize(16, 16));

    connect(&m_tree, &LibraryTree::rebuilt, this, &LibraryTreeView::rebuild);
    connect(&m_tree, &LibraryTree::selectionChanged, this, &LibraryTreeView::showSelection);
    // Keyboard moves select a node without opening it.
    connect(this, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem *current) {
        if (m_syncing || !current)
            return;
        m_tree.select(current->data(0, Qt::UserRole).toInt());
    });
    rebuild();
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
    QPalette pal = palette();
    for (QPalette::ColorGroup g : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        pal.setColor(g, QPalette::Base, back);
        pal.setColor(g, QPalette::Window, back);
        pal.setColor(g, QPalette::Text, text);
        pal.setColor(g, QPalette::Highlight, selectedBack);
        pal.setColor(g, QPalette::HighlightedText, selectedText);
    }
    setPalette(pal);
}

void LibraryTreeView::rebuild()
{
    m_syncing = true;
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
        item->setIcon(0, iconFor(n.image, n.selectedImage));
        m_items.push_back(item);
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
