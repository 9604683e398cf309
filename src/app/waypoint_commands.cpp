#include "app/waypoint_commands.h"

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
    for (core::NodeId n = doc.focused(); n != core::kNoNode && n != core::kRootNode; n = doc.parent(n)) {
        if (n == doc.waypoints()) {
            for (core::NodeId w = doc.firstChild(n); w != core::kNoNode; w = doc.nextSibling(w))
                if (!formats::AddToDatabase(env, ws_.waypointRows, w, options)) return;
            return;
        }
        core::NodeRole role = doc.roleOf(n);
        if (role == core::NodeRole::Waypoint || role == core::NodeRole::TrackPoint ||
            role == core::NodeRole::RoutePoint) {
            (void)formats::AddToDatabase(env, ws_.waypointRows, n, options);
            return;
        }
    }
}

void WaypointCommands::KopieerNaarBoomClick(const std::vector<size_t>& selected) {
    ws_.report("Add waypoint to tree");
    const auto& rows = ws_.waypointRows.rows;
    for (size_t i : selected) {
        if (i >= rows.size()) continue;
        const core::ListRow& r = rows[i];
        ws_.document.AddWaypoint(r[core::kColLat], r[core::kColLon], r[core::kColAlt], r[core::kColSerial],
                                 r[core::kColName], core::Symbol::name(r[core::kColSymbol]), r[core::kColComment],
                                 r[core::kColDescription]);
    }
}

}  // namespace app
