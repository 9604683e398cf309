#include "core/ui/list_model.h"

namespace core::ui {

ListModel::ListModel(ListRows& rows, QObject* parent) : QAbstractTableModel(parent), rows_(rows) {
    changed_ = rows_.changed.scoped([this] {
        beginResetModel();
        endResetModel();
    });
}

int ListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.rows.size());
}

int ListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kColumnCount; }

QVariant ListModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= static_cast<int>(rows_.rows.size())) return {};
    return QString::fromStdString(rows_.rows[static_cast<size_t>(index.row())][static_cast<size_t>(index.column())]);
}

QVariant ListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= kColumnCount) return {};
    return QString::fromUtf8(kListColumns[static_cast<size_t>(section)].caption);
}

}  // namespace core::ui
