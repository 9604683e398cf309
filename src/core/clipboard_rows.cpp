#include "core/clipboard_rows.h"

#include "core/fn.h"
#include "host/host.h"

namespace core {

std::string RowText(const ListRow& row) {
    std::string line;
    for (size_t i = 0; i < row.size(); ++i) {
        line += i == 0 ? "<" : ",<";
        line += row[i];
        line += '>';
    }
    return line + "\r\n";
}

std::string PointListRowText(const PointList& points, const host::LocaleInfo& locale) {
    char sep = locale.decimalSeparator();
    auto number = [sep](long double v) { return ToLocalDecimal(FloatToStrGeneral(v), sep); };
    std::string text;
    for (int i = 1; i <= points.count(); ++i) {
        const PointRecord& r = points[i];
        DateTimeParts t = DecodeDateTime(r.time);
        ListRow row = {std::to_string(i),
                       number(r.lat),
                       number(r.lon),
                       number(r.ele),
                       number(r.time),
                       locale.formatShortDate(t.year, t.month, t.day),
                       TimeOfDayText(t),
                       r.name,
                       r.sym,
                       r.cmt,
                       r.desc};
        text += RowText(row);
    }
    return text;
}

}  // namespace core
