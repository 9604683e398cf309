#pragma once
// The rows of LV1 or LV2 as a Qt table model with the eleven list columns.

#include <QAbstractTableModel>
#include <array>

#include "core/point_list.h"

namespace core::ui {

class ListModel : public QAbstractTableModel {
public:
    explicit ListModel(ListRows& rows, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    // Column captions follow the chosen language.
    bool setHeaderData(int section, Qt::Orientation orientation, const QVariant& value, int role = Qt::EditRole) override;

private:
    static constexpr size_t kNoRow = static_cast<size_t>(-1);
    ListRows& rows_;
    mutable size_t cachedRow_ = kNoRow;
    mutable ListRow cached_;
    std::array<QString, kColumnCount> captions_;
    ScopedConnection changed_;
};

}  // namespace core::ui
