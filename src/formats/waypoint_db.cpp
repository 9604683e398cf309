#include "formats/waypoint_db.h"

#include <sys/stat.h>

#include <cstdio>

#include "core/fn.h"
#include "core/text.h"

namespace formats {

using core::kNoNode;
using core::NodeId;

namespace {

constexpr const char* kMakerHomePage = "https://pathkeep.example/";
constexpr size_t kNumberChars = 12;
constexpr size_t kSerialChars = 16;

bool exists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

void writeRow(xml::Writer& w, const core::ListRow& r, const host::Clock& clock) {
    w.start("wpt");
    w.attribute("lat", core::CommaToPoint(r[core::kColLat]));
    w.attribute("lon", core::CommaToPoint(r[core::kColLon]));
    auto optional = [&](const char* name, const std::string& value) {
        if (!value.empty()) w.element(name, value);
    };
    optional("ele", core::CommaToPoint(r[core::kColAlt]));
    if (!r[core::kColSerial].empty()) w.element("time", core::DateTimeToXml(r[core::kColSerial], clock));
    optional("name", r[core::kColName]);
    optional("sym", r[core::kColSymbol]);
    optional("cmt", r[core::kColComment]);
    optional("desc", r[core::kColDescription]);
    w.end();
}

// The database file: an empty GPX skeleton, or with rows the metadata block
// and one wpt per row.
WriteOutcome writeDatabase(const std::string& fileName, const core::ListRows* rows, const host::Clock& clock) {
    AtomicFile file(fileName);
    if (!file.open()) return {false, file.error(), false};
    xml::Writer w(file);
    gpx::startGpxFile(w, false);
    if (rows) {
        w.start("metadata");
        w.start("link");
        w.attribute("href", kMakerHomePage);
        w.element("text", "Scribbix");
        w.end();
        w.end();
        for (const core::ListRow& r : rows->rows) writeRow(w, r, clock);
    }
    if (!(w.finish() && file.commit())) return {false, file.error().empty() ? "Cannot write " + fileName : file.error(), false};
    return {};
}

core::PointTexts pointOfWpt(Env& env, xmlNode* e) {
    core::PointTexts p = ReadGpxPointElement(e);  // desc too: it is written at shutdown
    if (p.serial.find(',') == std::string::npos)
        p.serial = core::XmlToDateTime(p.serial, env.host.clock(), env.decimalSeparator());
    return p;
}

}  // namespace

std::string FreeBackupName(const std::string& fileName) {
    std::string name = fileName + ".bak";
    for (int n = 2; exists(name); ++n) name = fileName + ".bak." + std::to_string(n);
    return name;
}

DatabaseLoad ZeRodedorarInlezen(Env& env, core::ListRows& rows, const std::string& fileName) {
    DatabaseLoad out;
    env.report("Read ZeRodedorar");
    if (!exists(fileName)) writeDatabase(fileName, nullptr, env.host.clock());
    xml::DocPtr doc = xml::parseFile(fileName, &out.error);
    if (!doc) {
        if (!exists(fileName)) return out;  // nothing to lose; it is made again at shutdown
        // Keep the user's collection aside instead of saving an empty one over it.
        out.ok = false;
        out.backupPath = FreeBackupName(fileName);
        if (std::rename(fileName.c_str(), out.backupPath.c_str()) != 0) out.backupPath.clear();
        return out;
    }
    env.host.eventPump().setBusy(true);
    rows.beginUpdate();
    rows.rows.clear();
    xmlNode* root = xmlDocGetRootElement(doc.get());
    for (xmlNode* e = xml::firstChildNamed(root, "wpt"); e; e = xml::nextElement(e)) {
        if (xml::name(e) != "wpt") continue;
        rows.rows.push_back(
            core::MakeListRow(pointOfWpt(env, e), core::PointType::Waypoint, rows.rows.size() + 1, env.host.locale()));
    }
    rows.endUpdate();
    env.host.eventPump().setBusy(false);
    return out;
}

WriteOutcome ZeRodedorarOpslaan(Env& env, const core::ListRows& rows, const std::string& fileName) {
    env.report("Store ZeRodedorar");
    return writeDatabase(fileName, &rows, env.host.clock());
}

void AddToDatabase(Env& env, core::ListRows& rows, NodeId point) {
    env.report("Add points to ZeRodedorar database");
    core::PointTexts p = env.makeLoader().readPoint(point);
    char sep = env.decimalSeparator();
    std::string lat = core::Utf8Left(core::ToLocalDecimal(p.lat, sep), kNumberChars);
    std::string lon = core::Utf8Left(core::ToLocalDecimal(p.lon, sep), kNumberChars);
    std::string ele = core::Utf8Left(core::ToLocalDecimal(p.ele, sep), kNumberChars);
    std::string serial = core::Utf8Left(core::SerialText(p, sep), kSerialChars);

    core::ListRow* row = nullptr;
    for (auto& r : rows.rows)
        if (r[core::kColLat] == lat && r[core::kColLon] == lon) {
            row = &r;
            break;
        }
    if (row) {
        host::Answer a = env.host.prompts().askYesNoCancel(env.message(48), host::Severity::Warning);
        if (a == host::Answer::Cancel) return;
        if (a == host::Answer::No) row = nullptr;
    }
    if (!row) {
        rows.rows.emplace_back();
        row = &rows.rows.back();
        (*row)[core::kColNr] = std::to_string(rows.rows.size());
    }
    core::ListRow& r = *row;
    r[core::kColLat] = lat;
    r[core::kColLon] = lon;
    r[core::kColAlt] = ele;
    r[core::kColSerial] = serial;
    if (!serial.empty()) {
        core::ListRow dated = core::MakeListRow(p, core::PointType::Waypoint, 0, env.host.locale());
        r[core::kColDate] = dated[core::kColDate];
        r[core::kColTime] = dated[core::kColTime];
    }
    r[core::kColName] = p.name;
    r[core::kColSymbol] = p.sym;
    r[core::kColComment] = p.cmt;
    rows.changed();
}

void mAddToWaypointsClick(Env& env, core::ListRows& rows) {
    core::Document& doc = env.doc;
    for (NodeId n = doc.focused(); n != kNoNode && doc.getLevel(n) > 1; n = doc.parent(n)) {
        std::string text = doc.getText(n);
        std::string_view word = core::FirstWord(text);
        if (word == "waypoints") {
            for (NodeId w = doc.firstChild(n); w != kNoNode; w = doc.nextSibling(w)) AddToDatabase(env, rows, w);
            return;
        }
        if (word == "wpt" || word == "trkpt" || word == "rtept") {
            AddToDatabase(env, rows, n);
            return;
        }
    }
}

void KopieerNaarBoomClick(Env& env, const core::ListRows& rows, const std::vector<size_t>& selected) {
    env.report("Add waypoint to tree");
    for (size_t i : selected) {
        if (i >= rows.rows.size()) continue;
        const core::ListRow& r = rows.rows[i];
        env.doc.AddWaypoint(r[core::kColLat], r[core::kColLon], r[core::kColAlt], r[core::kColSerial],
                            r[core::kColName], core::Symbol::name(r[core::kColSymbol]), r[core::kColComment],
                            r[core::kColDescription]);
    }
}

}  // namespace formats
