#include "formats/waypoint_db.h"

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

bool exists(const std::string& path) { return StatusOf(path).exists; }

void writeRow(xml::Writer& w, const core::ListRow& r, const host::Clock& clock) {
    gpx::PointElement p;
    p.lat = core::CommaToPoint(r[core::kColLat]);
    p.lon = core::CommaToPoint(r[core::kColLon]);
    p.hasLat = p.hasLon = true;
    auto optional = [&](const char* name, const std::string& value) {
        if (!value.empty()) p.children.emplace_back(name, value);
    };
    optional("ele", core::CommaToPoint(r[core::kColAlt]));
    if (!r[core::kColSerial].empty()) p.children.emplace_back("time", core::DateTimeToXml(r[core::kColSerial], clock));
    optional("name", r[core::kColName]);
    optional("sym", r[core::kColSymbol]);
    optional("cmt", r[core::kColComment]);
    optional("desc", r[core::kColDescription]);
    gpx::writePointElement(w, "wpt", p);
}

// The database file: an empty GPX skeleton, or with rows the metadata block
// and one wpt per row.
core::Result writeDatabase(const std::string& fileName, const core::ListRows* rows, const host::Clock& clock) {
    AtomicFile file(fileName);
    if (!file.open()) return core::Result::failed(file.error());
    xml::Writer w(file);
    gpx::startGpxFile(w, false);
    if (rows) {
        w.start("metadata");
        w.start("link");
        w.attribute("href", kMakerHomePage);
        w.element("text", "Scribbix");
        w.end();
        w.end();
        for (size_t i = 0; i < rows->size(); ++i) writeRow(w, rows->row(i), clock);
    }
    if (!(w.finish() && file.commit()))
        return core::Result::failed(file.error().empty() ? "Cannot write " + fileName : file.error());
    return core::Result::done();
}

core::PointTexts pointOfWpt(Env& env, xmlNode* e) {
    core::PointTexts p = ReadGpxPointElement(e);  // desc too: it is written at shutdown
    if (p.serial.find(',') == std::string::npos)
        p.serial = core::XmlToDateTime(p.serial, env.clock, env.decimalSeparator());
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
    if (!exists(fileName)) (void)writeDatabase(fileName, nullptr, env.clock);
    xml::DocPtr doc = xml::parseFile(fileName, &out.error);
    if (!doc) {
        if (!exists(fileName)) return out;  // nothing to lose; it is made again at shutdown
        // Keep the user's collection aside instead of saving an empty one over it.
        out.ok = false;
        out.backupPath = FreeBackupName(fileName);
        if (std::rename(fileName.c_str(), out.backupPath.c_str()) != 0) out.backupPath.clear();
        return out;
    }
    std::vector<core::ListRow> read;
    xmlNode* root = xmlDocGetRootElement(doc.get());
    for (xmlNode* e = xml::firstChildNamed(root, "wpt"); e; e = xml::nextElement(e)) {
        if (xml::name(e) != "wpt") continue;
        read.push_back(core::MakeListRow(pointOfWpt(env, e), core::PointType::Waypoint, read.size() + 1, env.locale));
    }
    rows.assign(std::move(read));
    return out;
}

core::Result ZeRodedorarOpslaan(Env& env, const core::ListRows& rows, const std::string& fileName) {
    env.report("Store ZeRodedorar");
    return writeDatabase(fileName, &rows, env.clock);
}

bool AddToDatabase(Env& env, core::ListRows& rows, NodeId point, const AddOptions& options) {
    env.report("Add points to ZeRodedorar database");
    core::PointTexts p = env.loader().readPoint(point);
    char sep = env.decimalSeparator();
    std::string lat = core::Utf8Left(core::ToLocalDecimal(p.lat, sep), kNumberChars);
    std::string lon = core::Utf8Left(core::ToLocalDecimal(p.lon, sep), kNumberChars);
    std::string ele = core::Utf8Left(core::ToLocalDecimal(p.ele, sep), kNumberChars);
    std::string serial = core::Utf8Left(core::SerialText(p, sep), kSerialChars);

    constexpr size_t kNew = static_cast<size_t>(-1);
    size_t at = kNew;
    for (size_t i = 0; i < rows.size() && at == kNew; ++i)
        if (rows.cell(i, core::kColLat) == lat && rows.cell(i, core::kColLon) == lon) at = i;
    if (at != kNew) {
        OnConflict decision = options.onConflict ? options.onConflict() : OnConflict::AddNew;
        if (decision == OnConflict::Stop) return false;
        if (decision == OnConflict::AddNew) at = kNew;
    }
    core::ListRow r;
    if (at != kNew)
        r = rows.row(at);
    else
        r[core::kColNr] = std::to_string(rows.size() + 1);
    r[core::kColLat] = lat;
    r[core::kColLon] = lon;
    r[core::kColAlt] = ele;
    r[core::kColSerial] = serial;
    if (!serial.empty()) {
        core::ListRow dated = core::MakeListRow(p, core::PointType::Waypoint, 0, env.locale);
        r[core::kColDate] = dated[core::kColDate];
        r[core::kColTime] = dated[core::kColTime];
    }
    r[core::kColName] = p.name;
    r[core::kColSymbol] = p.sym;
    r[core::kColComment] = p.cmt;
    rows.beginUpdate();
    if (at != kNew)
        rows.setRow(at, std::move(r));
    else
        rows.append(std::move(r));
    rows.endUpdate();
    return true;
}

}  // namespace formats
