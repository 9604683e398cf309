#include "core/ui/list_model.h"

namespace core::ui {

ListModel::ListModel(ListRows& rows, QObject* parent) : QAbstractTableModel(parent), rows_(rows) {
    for (int c = 0; c < kColumnCount; ++c) captions_[static_cast<size_t>(c)] = QString::fromUtf8(kListColumns[static_cast<size_t>(c)].caption);
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
    return captions_[static_cast<size_t>(section)];
}

bool ListModel::setHeaderData(int section, Qt::Orientation orientation, const QVariant& value, int role) {
    if (orientation != Qt::Horizontal || (role != Qt::EditRole && role != Qt::DisplayRole) || section < 0 ||
        section >= kColumnCount)
        return false;
    captions_[static_cast<size_t>(section)] = value.toString();
    emit headerDataChanged(orientation, section, section);
    return true;
}

}  // namespace core::ui
