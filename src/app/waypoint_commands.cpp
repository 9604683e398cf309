#include "app/waypoint_commands.h"

#include <memory>

#include "core/list_edit.h"
#include "formats/waypoint_db.h"

namespace app {

WaypointCommands::WaypointCommands(Workspace& ws) : ws_(ws) {
    autosave_ = ws_.waypointRows.changed.scoped([this] {
        if (loaded_ && !loading_) (void)save();
    });
}

void WaypointCommands::load() {
    loading_ = true;
    Operations::Scope scope(ws_.operations);
    formats::Env env = ws_.env(scope.operation());
    formats::DatabaseLoad db = formats::ZeRodedorarInlezen(env, ws_.waypointRows, ws_.paths.waypointDatabase);
    if (!db.ok)
        ws_.host.prompts().show(OwnText(OwnMessage::DatabaseUnreadable) + "\r" + db.backupPath + "\r" +
                                    db.error.describe(),
                                host::Severity::Warning);
    loading_ = false;
    loaded_ = true;
}

core::Result WaypointCommands::save() {
    Operations::Scope scope(ws_.operations);
    formats::Env env = ws_.env(scope.operation());
    core::Result r = formats::ZeRodedorarOpslaan(env, ws_.waypointRows, ws_.paths.waypointDatabase);
    if (r.isFailed()) ws_.report(OwnText(OwnMessage::SaveFailed) + " " + r.message());
    return r;
}

void WaypointCommands::mAddToWaypointsClick() {
    if (ws_.busy()) return;
    Operations::Scope scope(ws_.operations);
    formats::Env env = ws_.env(scope.operation());
    formats::AddOptions options;
    options.onConflict = [this] {
        switch (ws_.host.prompts().askYesNoCancel(ws_.message(48), host::Severity::Warning)) {
            case host::Answer::Yes: return formats::OnConflict::Overwrite;
            case host::Answer::No: return formats::OnConflict::AddNew;
            case host::Answer::Cancel: break;
        }
        return formats::OnConflict::Stop;
    };
    core::Document& doc = ws_.document;
    std::vector<core::ListRow> before = ws_.waypointRows.snapshot();
    for (core::NodeId n = doc.focused(); n != core::kNoNode && n != core::kRootNode; n = doc.parent(n)) {
        if (n == doc.waypoints()) {
            for (core::NodeId w = doc.firstChild(n); w != core::kNoNode; w = doc.nextSibling(w))
                if (!formats::AddToDatabase(env, ws_.waypointRows, w, options)) break;
            break;
        }
        core::NodeRole role = doc.roleOf(n);
        if (role == core::NodeRole::Waypoint || role == core::NodeRole::TrackPoint ||
            role == core::NodeRole::RoutePoint) {
            (void)formats::AddToDatabase(env, ws_.waypointRows, n, options);
            break;
        }
    }
    // However many points went in, and also when a question stopped it part-way: one step.
    auto change = std::make_shared<core::RowChange>(core::DiffRows(before, ws_.waypointRows.snapshot()));
    if (change->empty() || !ws_.recordUndo) return;
    core::ListRows& rows = ws_.waypointRows;
    ws_.recordUndo("Add to Waypoints", Workspace::UndoPart::WaypointList,
                   [&rows, change] { core::UndoRowChange(rows, *change); },
                   [&rows, change] { core::RedoRowChange(rows, *change); });
}

void WaypointCommands::KopieerNaarBoomClick(const std::vector<size_t>& selected) {
    ws_.report("Add waypoint to tree");
    const core::ListRows& rows = ws_.waypointRows;
    core::Document& doc = ws_.document;
    auto added = std::make_shared<std::vector<core::NodeId>>();
    for (size_t i : selected) {
        if (i >= rows.size()) continue;
        const core::ListRow r = rows.row(i);
        doc.AddWaypoint(r[core::kColLat], r[core::kColLon], r[core::kColAlt], r[core::kColSerial], r[core::kColName],
                        core::Symbol::name(r[core::kColSymbol]), r[core::kColComment], r[core::kColDescription]);
        added->push_back(doc.store().lastChild(doc.waypoints()));
    }
    if (added->empty() || !ws_.recordUndo) return;
    // The new waypoints leave the tree (kept aside) and come back as one step.
    ws_.recordUndo("Copy to tree", Workspace::UndoPart::Tree,
                   [&doc, added] {
                       for (auto it = added->rbegin(); it != added->rend(); ++it) doc.unlinkNode(*it);
                       doc.documentModified = true;
                   },
                   [&doc, added] {
                       for (core::NodeId n : *added) doc.relinkNode(n, doc.waypoints(), core::kNoNode);
                       doc.documentModified = true;
                   });
}

}  // namespace app
