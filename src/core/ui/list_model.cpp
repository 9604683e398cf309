#include "core/ui/list_model.h"

namespace core::ui {

ListModel::ListModel(ListRows& rows, QObject* parent) : QAbstractTableModel(parent), rows_(rows) {
    for (int c = 0; c < kColumnCount; ++c) captions_[static_cast<size_t>(c)] = QString::fromUtf8(kListColumns[static_cast<size_t>(c)].caption);
    changed_ = rows_.changed.scoped([this] {
        cachedRow_ = kNoRow;
        beginResetModel();
        endResetModel();
    });
}

int ListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int ListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kColumnCount; }

QVariant ListModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= static_cast<int>(rows_.size())) return {};
    // A view asks cell by cell; a row of a point is formatted once for all its cells.
    const auto row = static_cast<size_t>(index.row());
    if (cachedRow_ != row) {
        cached_ = rows_.row(row);
        cachedRow_ = row;
    }
    return QString::fromStdString(cached_[static_cast<size_t>(index.column())]);
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
