#pragma once
// The view of LV1 and LV2: a flat list of rows in a tree view.

#include <QTreeView>

namespace core::ui {

class ListView : public QTreeView {
public:
    using QTreeView::QTreeView;
    // The whole list as one range: the tree view's own selects row by row,
    // a third of a second for a million rows.
    void selectAll() override;
};

}  // namespace core::ui
