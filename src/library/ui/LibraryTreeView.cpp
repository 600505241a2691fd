#include "library/ui/LibraryTreeView.h"

#include "library/LibraryTree.h"
#include "library/LibraryTreeModel.h"

#include <QCursor>
#include <QDragEnterEvent>
#include <QHeaderView>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QStyledItemDelegate>

// Draws each node in the brushes its model gives it, and hands label edits
// to the model once the editor has closed.
class LibraryTreeView::Delegate : public QStyledItemDelegate
{
public:
    explicit Delegate(LibraryTreeView *view) : QStyledItemDelegate(view), m_view(view) {}

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const QRect r = option.rect;
        painter->save();
        const QSize iconSize = m_view->iconSize();
        const QRect iconRect(r.left() + 1, r.top() + (r.height() - iconSize.height()) / 2, iconSize.width(),
                             iconSize.height());
        // The model gives the node's icon for its state (the selected
        // picture for the selected node).
        index.data(Qt::DecorationRole).value<QIcon>().paint(painter, iconRect, Qt::AlignCenter, QIcon::Normal);

        QFont font = option.font;
        font.setUnderline(m_view->hotNode() >= 0 &&
                          m_view->hotNode() == index.data(LibraryTreeModel::NodeRole).toInt());
        const QFontMetrics metrics(font);
        const int textLeft = iconRect.right() + 3;
        const QString text = metrics.elidedText(index.data(Qt::DisplayRole).toString(), Qt::ElideRight,
                                                qMax(0, r.right() - textLeft - 4));
        // Only the label's own box takes the background, as in a tree control.
        const QRect textRect = QRect(textLeft, r.top(), metrics.horizontalAdvance(text) + 4, r.height()).intersected(r);
        painter->fillRect(textRect, index.data(Qt::BackgroundRole).value<QBrush>());
        painter->setFont(font);
        painter->setPen(index.data(Qt::ForegroundRole).value<QBrush>().color());
        painter->drawText(textRect.adjusted(2, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, text);
        painter->restore();
    }

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QWidget *editor = QStyledItemDelegate::createEditor(parent, option, index);
        Q_EMIT m_view->labelEditStarted(index.data(LibraryTreeModel::NodeRole).toInt());
        return editor;
    }

    void setModelData(QWidget *editor, QAbstractItemModel *, const QModelIndex &index) const override
    {
        const auto *line = qobject_cast<QLineEdit *>(editor);
        if (!line)
            return;
        // Handed over once the editor has closed: the answer may show a
        // message box, which must not run inside the editor's commit. The
        // click that closed the editor may have rebuilt the tree meanwhile,
        // so the node is found again by its key (and the edit dropped when
        // it is gone).
        const QString key = index.data(LibraryTreeModel::KeyRole).toString();
        const QString text = line->text();
        QPointer<LibraryTreeModel> model = m_view->treeModel();
        QMetaObject::invokeMethod(
            model,
            [model, key, text] {
                if (!model)
                    return;
                const QModelIndex node = model->indexOfKey(key);
                if (node.isValid())
                    model->setData(node, text, Qt::EditRole);
            },
            Qt::QueuedConnection);
    }

private:
    LibraryTreeView *m_view;
};

LibraryTreeView::LibraryTreeView(LibraryTree &tree, LibraryTreeActions &actions, QWidget *parent)
    : QTreeView(parent), m_tree(tree), m_model(new LibraryTreeModel(tree, actions, this))
{
    setObjectName(QStringLiteral("libraryTree"));
    setModel(m_model);
    setHeaderHidden(true);
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

    connect(&m_tree, &LibraryTree::selectionChanged, this, &LibraryTreeView::showSelection);
    // A rebuild shows nothing expanded but the way to the selected node.
    connect(m_model, &QAbstractItemModel::modelReset, this, &LibraryTreeView::showSelection);
    showSelection();
}

const TreeColors &LibraryTreeView::colors() const
{
    return m_model->colors();
}

void LibraryTreeView::setIcons(const std::array<QImage, 10> &icons)
{
    m_model->setIcons(icons);
}

void LibraryTreeView::setColors(const QColor &text, const QColor &back, const QColor &selectedText,
                                const QColor &selectedBack)
{
    m_model->setColors(TreeColors{text, back, selectedText, selectedBack});
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

void LibraryTreeView::showSelection()
{
    const QModelIndex selected = m_model->indexOfNode(m_tree.selectedIndex());
    if (selected.isValid()) {
        selectionModel()->setCurrentIndex(selected, QItemSelectionModel::ClearAndSelect);
        scrollTo(selected);
    } else {
        selectionModel()->clear();
    }
}

void LibraryTreeView::selectCurrent()
{
    const int node = m_model->nodeOf(currentIndex());
    if (node >= 0)
        m_tree.select(node);
}

QModelIndex LibraryTreeView::indexOfNode(int index) const
{
    return m_model->indexOfNode(index);
}

int LibraryTreeView::nodeAt(const QPoint &viewportPos) const
{
    return m_model->nodeOf(indexAt(viewportPos));
}

void LibraryTreeView::setSingleClickExpand(bool on)
{
    m_singleClickExpand = on;
    setExpandsOnDoubleClick(!on);
    viewport()->update();
}

void LibraryTreeView::editNode(int index)
{
    const QModelIndex node = m_model->indexOfNode(index);
    if (!node.isValid())
        return;
    for (QModelIndex p = node.parent(); p.isValid(); p = p.parent())
        expand(p);
    scrollTo(node);
    edit(node);
}

void LibraryTreeView::setHot(const QModelIndex &index)
{
    if (index == m_hot)
        return;
    m_hot = index;
    viewport()->update();
}

void LibraryTreeView::mouseMoveEvent(QMouseEvent *event)
{
    setHot(indexAt(event->position().toPoint()));
    QTreeView::mouseMoveEvent(event);
}

bool LibraryTreeView::viewportEvent(QEvent *event)
{
    if (event->type() == QEvent::Leave)
        setHot(QModelIndex());
    return QTreeView::viewportEvent(event);
}

int LibraryTreeView::hotNode() const
{
    if (!m_singleClickExpand || !m_hot.isValid())
        return -1;
    return viewport()->rect().contains(viewport()->mapFromGlobal(QCursor::pos())) ? m_model->nodeOf(m_hot) : -1;
}

void LibraryTreeView::keyPressEvent(QKeyEvent *event)
{
    // Keyboard moves select a node without opening it.
    QTreeView::keyPressEvent(event);
    selectCurrent();
}

void LibraryTreeView::mousePressEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    if (event->button() == Qt::RightButton) {
        Q_EMIT rightPressed(nodeAt(pos), event->globalPosition().toPoint());
        return;
    }
    const QPersistentModelIndex before = currentIndex();
    QTreeView::mousePressEvent(event);
    selectCurrent();
    const QModelIndex after = indexAt(pos);
    if (m_singleClickExpand && event->button() == Qt::LeftButton && after.isValid() && after == currentIndex() &&
        before != after) {
        bool holdsNew = false;
        for (QModelIndex p = after.parent(); p.isValid(); p = p.parent())
            holdsNew = holdsNew || p == before;
        if (before.isValid() && !holdsNew)
            collapse(before);
        expand(after);
    }
    if (event->button() != Qt::LeftButton)
        return;
    // A press on the expand arrow only expands; a press on the node's row opens it.
    if (after.isValid() && visualRect(after).contains(pos))
        Q_EMIT nodeClicked(m_model->nodeOf(after));
}

void LibraryTreeView::dragEnterEvent(QDragEnterEvent *event)
{
    if (m_model->canDropMimeData(event->mimeData(), event->dropAction(), -1, -1, indexAt(event->position().toPoint())))
        event->acceptProposedAction();
}

void LibraryTreeView::dragMoveEvent(QDragMoveEvent *event)
{
    if (m_model->canDropMimeData(event->mimeData(), event->dropAction(), -1, -1, indexAt(event->position().toPoint())))
        event->acceptProposedAction();
}

void LibraryTreeView::dropEvent(QDropEvent *event)
{
    event->acceptProposedAction();
    m_model->dropMimeData(event->mimeData(), event->dropAction(), -1, -1, indexAt(event->position().toPoint()));
}
