#pragma once
// Shows the document tree in VST exactly as stored: one row per node, its
// text, and a picture per node kind.

#include <QAbstractItemModel>
#include <QIcon>
#include <unordered_map>
#include <vector>

#include "core/document.h"

namespace core::ui {

class TreeModel : public QAbstractItemModel {
public:
    explicit TreeModel(Document& doc, QObject* parent = nullptr);
    ~TreeModel() override;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    QModelIndex indexOf(NodeId node) const;
    NodeId nodeOf(const QModelIndex& index) const;
    static QIcon kindIcon(int kind);

private:
    // Child lists of the nodes the view has asked about. Readers only append,
    // so ids in a list are mostly ascending and a row is a binary search;
    // after an insert or move in the middle the list keeps a position map.
    struct ChildList {
        std::vector<NodeId> ids;
        bool ascending = true;
        mutable std::unordered_map<NodeId, int> rows;  // when not ascending; empty: to be built
    };
    const ChildList& children(NodeId parent) const;
    ChildList* listed(NodeId parent);
    int rowOf(NodeId node) const;
    void insertRow(ChildList& list, int row, NodeId child);
    void onInserted(NodeId parent, NodeId child);
    void onAboutToRemove(NodeId node);
    void onRemoved(NodeId parent);
    void onAboutToRemoveChildren(NodeId parent);
    void onChildrenRemoved(NodeId parent);
    void onAboutToMove(NodeId node, NodeId newParent, NodeId before);
    void onMoved(NodeId node);

    Document& doc_;
    mutable std::unordered_map<NodeId, ChildList> children_;
    NodeId removing_ = kNoNode;
    bool removingChildren_ = false;
    bool moving_ = false;
    std::vector<ScopedConnection> connections_;
};

}  // namespace core::ui
