#include "formats/text_export.h"

#include <algorithm>

#include "core/fn.h"
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

std::string fieldValue(int field, int index, const core::PointRecord& r, const core::DateTimeParts& t,
                       const host::LocaleInfo& locale) {
    auto number = [&](long double v) { return core::ToLocalDecimal(core::FloatToStrGeneral(v), locale.decimalSeparator()); };
    switch (field) {
        case 1: return std::to_string(index);
        case 2: return number(r.lat);
        case 3: return number(r.lon);
        case 4: return number(r.ele);
        case 5: return core::DateTimeText(r.time);  // rounds to the second as the file has it
        case 6: return locale.formatShortDate(t.year, t.month, t.day);
        case 7: return core::ZeroPad(t.hour, 2) + ":" + core::ZeroPad(t.minute, 2) + ":" + core::ZeroPad(t.second, 2);
        case 8: return r.name;
        case 9: return r.sym;
        case 10: return r.cmt;
        case 11: return r.desc;
        default: return {};
    }
}

}  // namespace

WriteOutcome SaveAsTXT(Env& env, const std::string& fileName, bool saveSelectionOnly) {
    env.report("Save file as TXT");
    env.points.reset();
    if (saveSelectionOnly) {
        if (!FillPointList(env, true, WholeDocument::Tracks)) return {};
    } else {
        bool tracks = env.host.prompts().askYesNo(env.message(40), host::Severity::Information) == host::Answer::Yes;
        FillPointList(env, false, tracks ? WholeDocument::Tracks : WholeDocument::Waypoints);
    }
    FieldSelectionModel dialog;
    if (env.exportFields) dialog.chosen = *env.exportFields;
    dialog.rebuildAvailable();
    dialog.saveAsDefault = env.saveFieldsAsDefault;
    if (!env.host.prompts().show(dialog)) return {};
    if (env.exportFields) *env.exportFields = dialog.chosen;

    env.host.eventPump().setBusy(true);
    AtomicFile file(fileName);
    if (!file.open()) {
        env.host.eventPump().setBusy(false);
        return {false, file.error(), false};
    }
    std::vector<int> fields;
    std::string heading;
    for (size_t i = 0; i < dialog.chosen.size(); ++i) {
        fields.push_back(FieldNumberOf(dialog.chosen[i]));
        if (i > 0) heading += '\t';
        if (dialog.chosen[i].size() > kEntryCaptionStart) heading += dialog.chosen[i].substr(kEntryCaptionStart);
    }
    file.write(heading + "\r\n");
    const core::PointList& pts = env.points;
    const host::LocaleInfo& locale = env.host.locale();
    for (int i = 1; i <= pts.count(); ++i) {
        if (i % kYieldEvery == 0) {
            ShowProgress(env, i, pts.count());
            env.host.eventPump().processEvents();
        }
        if (env.doc.cancelRequested) {
            ShowProgress(env, pts.count(), pts.count());
            file.discard();
            env.host.eventPump().setBusy(false);
            return {false, "", true};
        }
        std::string line;
        core::DateTimeParts when = core::DecodeDateTime(pts[i].time);
        for (size_t f = 0; f < fields.size(); ++f) {
            if (f > 0) line += '\t';
            line += fieldValue(fields[f], i, pts[i], when, locale);
        }
        if (i % kYieldEvery == 0) env.status(std::to_string(i) + " of " + std::to_string(pts.count()) + " " + line);
        file.write(line + "\r\n");
    }
    ShowProgress(env, pts.count(), pts.count());
    bool ok = file.commit();
    env.host.eventPump().setBusy(false);
    if (!ok) return {false, file.error(), false};
    env.host.prompts().show("OK", host::Severity::Information);
    return {};
}

}  // namespace formats
