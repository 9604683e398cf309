// Row text from the clipboard: any bytes give rows of eleven fields, which
// paste into a list, write out again as row text and sort without a crash.

#include <string>

#include "core/list_edit.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    if (!core::IsRowText(text)) return 0;
    core::ListRows view;
    view.assign(std::vector<core::ListRow>(2));
    size_t count = core::ParseRowText(text).size();
    size_t at = core::InsertRows(view, 1, core::ParseRowText(text));
    if (view.size() != count + 2 || at != 1) __builtin_trap();
    std::vector<size_t> all(view.size());
    for (size_t i = 0; i < all.size(); ++i) all[i] = i;
    std::string again = core::RowsText(view, all);
    (void)core::ParseRowText(again);
    core::RowOrder order = core::SortRowsByTime(view);
    core::UndoRowOrder(view, order);
    (void)core::PathLengthKm(view);
    if (!view.empty()) (void)core::MoveToClosest(view, view.size() - 1);
    return 0;
}
