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
    // Child lists of the nodes the view has asked about. Children are only
    // ever appended, so ids in a list are ascending and a row is a binary search.
    const std::vector<NodeId>& children(NodeId parent) const;
    int rowOf(NodeId node) const;
    void onAppended(NodeId parent, NodeId child);
    void onAboutToRemove(NodeId node);
    void onRemoved(NodeId parent);

    Document& doc_;
    mutable std::unordered_map<NodeId, std::vector<NodeId>> children_;
    NodeId removing_ = kNoNode;
    std::vector<ScopedConnection> connections_;
};

}  // namespace core::ui
