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
    connections_.push_back(doc_.appended.scoped([this](NodeId p, NodeId c) { onAppended(p, c); }));
    connections_.push_back(doc_.aboutToRemove.scoped([this](NodeId n) { onAboutToRemove(n); }));
    connections_.push_back(doc_.removed.scoped([this](NodeId p) { onRemoved(p); }));
    connections_.push_back(doc_.textChanged.scoped([this](NodeId n) {
        QModelIndex i = indexOf(n);
        if (i.isValid()) emit dataChanged(i, i);
    }));
}

TreeModel::~TreeModel() = default;

const std::vector<NodeId>& TreeModel::children(NodeId parent) const {
    auto it = children_.find(parent);
    if (it != children_.end()) return it->second;
    std::vector<NodeId> list;
    if (doc_.alive(parent))
        for (NodeId c = doc_.firstChild(parent); c != kNoNode; c = doc_.nextSibling(c)) list.push_back(c);
    return children_.emplace(parent, std::move(list)).first->second;
}

int TreeModel::rowOf(NodeId node) const {
    const auto& list = children(doc_.parent(node));
    auto it = std::lower_bound(list.begin(), list.end(), node);
    return it != list.end() && *it == node ? static_cast<int>(it - list.begin()) : -1;
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
    const auto& list = children(p);
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
    return p == kNoNode ? 0 : static_cast<int>(children(p).size());
}

int TreeModel::columnCount(const QModelIndex&) const { return 1; }

bool TreeModel::hasChildren(const QModelIndex& parent) const {
    NodeId p = nodeOf(parent);
    if (p == kNoNode) return false;
    auto it = children_.find(p);
    return it != children_.end() ? !it->second.empty() : doc_.firstChild(p) != kNoNode;
}

QVariant TreeModel::data(const QModelIndex& index, int role) const {
    NodeId n = nodeOf(index);
    if (n == kNoNode || n == kRootNode) return {};
    if (role == Qt::DisplayRole) return QString::fromStdString(doc_.getText(n));
    if (role == Qt::DecorationRole) return kindIcon(doc_.kind(n));
    return {};
}

void TreeModel::onAppended(NodeId parent, NodeId child) {
    auto it = children_.find(parent);
    if (it == children_.end()) {
        // A parent the view has not listed: only its first child matters,
        // which gives it an expander.
        if (doc_.firstChild(parent) != child) return;
        QModelIndex i = indexOf(parent);
        if (!i.isValid() && parent != kRootNode) return;
        children_[parent] = {};
        beginInsertRows(i, 0, 0);
        children_[parent].push_back(child);
        endInsertRows();
        return;
    }
    int row = static_cast<int>(it->second.size());
    beginInsertRows(indexOf(parent), row, row);
    children_[parent].push_back(child);
    endInsertRows();
}

void TreeModel::onAboutToRemove(NodeId node) {
    NodeId p = doc_.parent(node);
    auto it = children_.find(p);
    if (it == children_.end()) return;
    int row = rowOf(node);
    if (row < 0) return;
    beginRemoveRows(indexOf(p), row, row);
    it->second.erase(it->second.begin() + row);
    removing_ = node;
}

void TreeModel::onRemoved(NodeId) {
    if (removing_ == kNoNode) return;
    children_.erase(removing_);
    removing_ = kNoNode;
    endRemoveRows();
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
