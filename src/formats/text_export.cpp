#include "formats/text_export.h"

#include <algorithm>
#include <charconv>

#include "core/fn.h"
#include "formats/field_checks.h"
#include "core/point_list.h"
#include "formats/ozi.h"

namespace formats {

namespace {
constexpr int kFieldCount = 11;
constexpr size_t kEntryCaptionStart = 5;  // "[02] " comes before the caption
}  // namespace

std::string FieldSelectionModel::entryOf(int field) {
    return "[" + core::ZeroPad(field, 2) + "] " + core::kListColumns[static_cast<size_t>(field - 1)].caption;
}

int FieldNumberOf(const std::string& entry) {
    for (int i = 1; i <= kFieldCount; ++i)
        if (entry.rfind("[" + core::ZeroPad(i, 2) + "]", 0) == 0) return i;
    return 0;
}

void FieldSelectionModel::rebuildAvailable() {
    available.clear();
    for (int i = 1; i <= kFieldCount; ++i) {
        std::string tag = "[" + core::ZeroPad(i, 2) + "]";
        bool taken = std::any_of(chosen.begin(), chosen.end(),
                                 [&](const std::string& c) { return c.find(tag) != std::string::npos; });
        if (!taken) available.push_back(entryOf(i));
    }
    std::sort(available.begin(), available.end());
}

bool FieldSelectionModel::choose(size_t i) {
    if (i >= available.size()) return false;
    chosen.push_back(available[i]);
    available.erase(available.begin() + static_cast<long>(i));
    return true;
}

bool FieldSelectionModel::unchoose(size_t i) {
    if (i >= chosen.size()) return false;
    available.push_back(chosen[i]);
    std::sort(available.begin(), available.end());
    chosen.erase(chosen.begin() + static_cast<long>(i));
    return true;
}

namespace {

// One field of a point appended to its line: the loop of every export of a
// long track, so nothing here makes a string of its own where it can help it.
void appendField(std::string& line, int field, int index, const core::PointRecord& r, const core::DateTimeParts& t,
                 const host::LocaleInfo& locale) {
    auto number = [&](long double v) {
        core::GeneralNumber g;
        size_t from = line.size();
        if (core::ToGeneralText(v, g))
            line.append(g.view());
        else
            line += core::FloatToStrGeneral(v);
        for (size_t i = from; i < line.size(); ++i)
            if (line[i] == '.' || line[i] == ',') line[i] = locale.decimalSeparator();
    };
    switch (field) {
        case 1: {
            char digits[16];
            auto [end, ec] = std::to_chars(digits, digits + sizeof digits, index);
            line.append(digits, end);
            break;
        }
        case 2: number(r.lat); break;
        case 3: number(r.lon); break;
        case 4: number(r.ele); break;
        case 5: line += core::DateTimeText(t); break;  // rounds to the second as the file has it
        case 6: line += locale.formatShortDate(t.year, t.month, t.day); break;
        case 7: line += core::TimeOfDayText(t); break;
        // Texts stay on their line and in their column.
        case 8: line += OneLine(r.name, true); break;
        case 9: line += OneLine(r.sym, true); break;
        case 10: line += OneLine(r.cmt, true); break;
        case 11: line += OneLine(r.desc, true); break;
        default: break;
    }
}

}  // namespace

core::Result SaveAsTXT(Env& env, const std::string& fileName, const SaveOptions& options) {
    env.report("Save file as TXT");
    std::optional<PointsToSave> points = PointsToSave::of(env, options, options.whole);
    if (!points) return core::Result::nothingToDo();

    AtomicFile file(fileName);
    if (!file.open()) return core::Result::failed(file.error());
    std::vector<int> fields;
    std::string heading;
    for (size_t i = 0; i < options.fields.size(); ++i) {
        fields.push_back(FieldNumberOf(options.fields[i]));
        if (i > 0) heading += '\t';
        if (options.fields[i].size() > kEntryCaptionStart) heading += options.fields[i].substr(kEntryCaptionStart);
    }
    file.write(heading + "\r\n");
    core::Operation& op = env.operation;
    int i = 0;
    std::string line;
    bool going = points->walk(env, [&](const core::PointRecord& r) {
        line.clear();
        core::DateTimeParts when = core::DecodeDateTime(r.time);
        ++i;
        for (size_t f = 0; f < fields.size(); ++f) {
            if (f > 0) line += '\t';
            appendField(line, fields[f], i, r, when, env.locale);
        }
        if (i % kYieldEvery == 0) {
            env.status(std::to_string(i) + " of " + std::to_string(points->total) + " " + line);
            op.showProgress(i, points->total);
        }
        line += "\r\n";
        file.write(line);
    });
    op.hideProgress();
    if (!going) {
        file.discard();
        return core::Result::cancelled();
    }
    if (!file.commit()) return core::Result::failed(file.error());
    return core::Result::done();
}

}  // namespace formats
