#include "core/ui/tree_model.h"

#include <QPainter>
#include <QPixmap>
#include <algorithm>

namespace core::ui {

TreeModel::TreeModel(Document& doc, QObject* parent) : QAbstractItemModel(parent), doc_(doc) {
    connections_.push_back(doc_.reset.scoped([this] {
        beginResetModel();
        children_.clear();
        endResetModel();
    }));
    connections_.push_back(doc_.inserted.scoped([this](NodeId p, NodeId c) { onInserted(p, c); }));
    connections_.push_back(doc_.aboutToRemove.scoped([this](NodeId n) { onAboutToRemove(n); }));
    connections_.push_back(doc_.removed.scoped([this](NodeId p) { onRemoved(p); }));
    connections_.push_back(doc_.aboutToRemoveChildren.scoped([this](NodeId p) { onAboutToRemoveChildren(p); }));
    connections_.push_back(doc_.childrenRemoved.scoped([this](NodeId p) { onChildrenRemoved(p); }));
    connections_.push_back(doc_.aboutToMove.scoped(
        [this](NodeId n, NodeId p, NodeId before) { onAboutToMove(n, p, before); }));
    connections_.push_back(doc_.moved.scoped([this](NodeId n) { onMoved(n); }));
    connections_.push_back(doc_.textChanged.scoped([this](NodeId n) {
        QModelIndex i = indexOf(n);
        if (i.isValid()) emit dataChanged(i, i);
    }));
}

TreeModel::~TreeModel() = default;

const TreeModel::ChildList& TreeModel::children(NodeId parent) const {
    auto it = children_.find(parent);
    if (it != children_.end()) return it->second;
    ChildList list;
    if (doc_.alive(parent))
        for (NodeId c = doc_.firstChild(parent); c != kNoNode; c = doc_.nextSibling(c)) {
            if (!list.ids.empty() && c < list.ids.back()) list.ascending = false;
            list.ids.push_back(c);
        }
    return children_.emplace(parent, std::move(list)).first->second;
}

TreeModel::ChildList* TreeModel::listed(NodeId parent) {
    auto it = children_.find(parent);
    return it == children_.end() ? nullptr : &it->second;
}

int TreeModel::rowOf(NodeId node) const {
    const ChildList& list = children(doc_.parent(node));
    if (list.ascending) {
        auto it = std::lower_bound(list.ids.begin(), list.ids.end(), node);
        return it != list.ids.end() && *it == node ? static_cast<int>(it - list.ids.begin()) : -1;
    }
    if (list.rows.empty())
        for (size_t i = 0; i < list.ids.size(); ++i) list.rows[list.ids[i]] = static_cast<int>(i);
    auto it = list.rows.find(node);
    return it == list.rows.end() ? -1 : it->second;
}

void TreeModel::insertRow(ChildList& list, int row, NodeId child) {
    auto at = list.ids.begin() + row;
    if (list.ascending && ((at != list.ids.end() && *at < child) || (at != list.ids.begin() && *(at - 1) > child)))
        list.ascending = false;
    list.ids.insert(at, child);
    list.rows.clear();
}

NodeId TreeModel::nodeOf(const QModelIndex& index) const {
    if (!index.isValid()) return kRootNode;
    NodeId n = static_cast<NodeId>(index.internalId());
    return doc_.alive(n) ? n : kNoNode;
}

QModelIndex TreeModel::indexOf(NodeId node) const {
    if (node == kNoNode || node == kRootNode || !doc_.alive(node)) return {};
    int row = rowOf(node);
    return row < 0 ? QModelIndex() : createIndex(row, 0, static_cast<quintptr>(node));
}

QModelIndex TreeModel::index(int row, int column, const QModelIndex& parent) const {
    NodeId p = nodeOf(parent);
    if (p == kNoNode || column != 0 || row < 0) return {};
    const auto& list = children(p).ids;
    if (row >= static_cast<int>(list.size())) return {};
    return createIndex(row, 0, static_cast<quintptr>(list[static_cast<size_t>(row)]));
}

QModelIndex TreeModel::parent(const QModelIndex& child) const {
    NodeId n = nodeOf(child);
    if (n == kNoNode || n == kRootNode) return {};
    return indexOf(doc_.parent(n));
}

int TreeModel::rowCount(const QModelIndex& parent) const {
    NodeId p = nodeOf(parent);
    return p == kNoNode ? 0 : static_cast<int>(children(p).ids.size());
}

int TreeModel::columnCount(const QModelIndex&) const { return 1; }

bool TreeModel::hasChildren(const QModelIndex& parent) const {
    NodeId p = nodeOf(parent);
    if (p == kNoNode) return false;
    auto it = children_.find(p);
    return it != children_.end() ? !it->second.ids.empty() : doc_.firstChild(p) != kNoNode;
}

QVariant TreeModel::data(const QModelIndex& index, int role) const {
    NodeId n = nodeOf(index);
    if (n == kNoNode || n == kRootNode) return {};
    if (role == Qt::DisplayRole) return QString::fromStdString(doc_.getText(n));
    if (role == Qt::DecorationRole) return kindIcon(doc_.kind(n));
    return {};
}

void TreeModel::onInserted(NodeId parent, NodeId child) {
    ChildList* list = listed(parent);
    if (!list) {
        // A parent the view has not listed: only its first child matters,
        // which gives it an expander.
        if (doc_.firstChild(parent) != child || doc_.nextSibling(child) != kNoNode) return;
        QModelIndex i = indexOf(parent);
        if (!i.isValid() && parent != kRootNode) return;
        children_[parent] = {};  // listed before the view asks, or it would list the child itself
        beginInsertRows(i, 0, 0);
        children_[parent].ids.push_back(child);
        endInsertRows();
        return;
    }
    NodeId previous = doc_.store().previousSibling(child);
    int row = previous == kNoNode ? 0 : rowOf(previous) + 1;
    if (row <= 0 && previous != kNoNode) return;  // the list lost track; the next reset mends it
    // Indexes first: finding one may list another parent and move the lists.
    QModelIndex i = indexOf(parent);
    beginInsertRows(i, row, row);
    insertRow(*listed(parent), row, child);
    endInsertRows();
}

void TreeModel::onAboutToRemove(NodeId node) {
    NodeId p = doc_.parent(node);
    if (!listed(p)) return;
    int row = rowOf(node);
    if (row < 0) return;
    beginRemoveRows(indexOf(p), row, row);
    ChildList* list = listed(p);
    list->ids.erase(list->ids.begin() + row);
    list->rows.clear();
    removing_ = node;
}

void TreeModel::onRemoved(NodeId) {
    if (removing_ == kNoNode) return;
    // The removed subtree's lists go; their ids never come back.
    children_.erase(removing_);
    removing_ = kNoNode;
    endRemoveRows();
}

void TreeModel::onAboutToRemoveChildren(NodeId parent) {
    if (!listed(parent) || listed(parent)->ids.empty()) return;
    QModelIndex i = indexOf(parent);
    if (!i.isValid() && parent != kRootNode) return;
    beginRemoveRows(i, 0, static_cast<int>(listed(parent)->ids.size()) - 1);
    std::vector<NodeId> gone = std::move(listed(parent)->ids);
    for (NodeId c : gone) children_.erase(c);
    ChildList* list = listed(parent);
    list->ids.clear();
    list->rows.clear();
    list->ascending = true;
    removingChildren_ = true;
}

void TreeModel::onChildrenRemoved(NodeId) {
    if (!removingChildren_) return;
    removingChildren_ = false;
    endRemoveRows();
}

void TreeModel::onAboutToMove(NodeId node, NodeId newParent, NodeId before) {
    NodeId oldParent = doc_.parent(node);
    QModelIndex fromIndex = indexOf(oldParent), toIndex = indexOf(newParent);
    int fromRow = listed(oldParent) ? rowOf(node) : -1;
    int toRowBefore = before != kNoNode && listed(newParent) ? rowOf(before) : -1;
    ChildList* from = listed(oldParent);
    ChildList* to = listed(newParent);
    bool fromShown = from && fromRow >= 0 && (fromIndex.isValid() || oldParent == kRootNode);
    bool toShown = to && (toIndex.isValid() || newParent == kRootNode);
    if (!fromShown || !toShown) {
        // One side is not listed: the simplest honest answer is a reset.
        beginResetModel();
        children_.clear();
        moving_ = true;
        return;
    }
    int toRow = before == kNoNode ? static_cast<int>(to->ids.size()) : toRowBefore;
    if (!beginMoveRows(fromIndex, fromRow, fromRow, toIndex, toRow)) {
        beginResetModel();
        children_.clear();
        moving_ = true;
        return;
    }
    from->ids.erase(from->ids.begin() + fromRow);
    from->rows.clear();
    if (from == to && toRow > fromRow) --toRow;
    insertRow(*to, toRow, node);
    moving_ = false;
}

void TreeModel::onMoved(NodeId) {
    if (moving_) {
        moving_ = false;
        endResetModel();
        return;
    }
    endMoveRows();
}

QIcon TreeModel::kindIcon(int kind) {
    static const QColor colours[] = {QColor(200, 40, 40), QColor(40, 90, 200), QColor(30, 150, 60),
                                     QColor(230, 150, 20), QColor(120, 120, 120)};
    static std::vector<QIcon> icons;
    if (icons.empty()) {
        for (int k = 0; k < 5; ++k) {
            QPixmap pm(16, 16);
            pm.fill(Qt::transparent);
            QPainter p(&pm);
            p.setRenderHint(QPainter::Antialiasing);
            p.setBrush(colours[k]);
            p.setPen(colours[k].darker());
            switch (k) {
                case 0: p.drawPolygon(QPolygon({QPoint(8, 1), QPoint(15, 8), QPoint(8, 15), QPoint(1, 8)})); break;
                case 1: p.drawRect(2, 4, 12, 9); break;
                case 2: p.drawRect(1, 6, 14, 4); break;
                case 3: p.drawEllipse(4, 4, 8, 8); break;
                default: p.drawRect(4, 4, 8, 8); break;
            }
            icons.emplace_back(pm);
        }
    }
    return icons[static_cast<size_t>(kind >= 0 && kind < 5 ? kind : 4)];
}

}  // namespace core::ui
