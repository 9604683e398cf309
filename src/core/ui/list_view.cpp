#include "core/ui/list_view.h"

#include <QItemSelectionModel>

namespace core::ui {

void ListView::selectAll() {
    QAbstractItemModel* m = model();
    if (!m || !selectionModel() || selectionMode() == SingleSelection || selectionMode() == NoSelection) return;
    const int rows = m->rowCount(rootIndex()), columns = m->columnCount(rootIndex());
    if (rows == 0 || columns == 0) return;
    const QItemSelection all(m->index(0, 0, rootIndex()), m->index(rows - 1, columns - 1, rootIndex()));
    selectionModel()->select(all, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

}  // namespace core::ui
