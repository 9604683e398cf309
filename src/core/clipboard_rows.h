#pragma once
// The row text format that carries points through the clipboard:
// "<f1>,<f2>,...,<f11>" CR LF per point.

#include <string>

#include "core/point_list.h"

namespace host {
class LocaleInfo;
}

namespace core {

std::string RowText(const ListRow& row);
// Records 1..count of the point list, numbers with the user's decimal separator.
std::string PointListRowText(const PointList& points, const host::LocaleInfo& locale);

}  // namespace core
