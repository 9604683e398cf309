#include "app/edit_commands.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "core/fn.h"
#include "core/list_edit.h"
#include "core/point_edit.h"
#include "core/tree_edit.h"
#include "formats/gpx.h"
#include "formats/tree_to_gpx.h"
#include "plot/bounds.h"

namespace app {

namespace {

constexpr int kPointsPageIndex = 0;

// The fixed two-decimal form of the distance message.
std::string TwoDecimals(long double km) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.2Lf", km);
    return buffer;
}

}  // namespace

EditCommands::EditCommands(Workspace& ws) : ws_(ws) {
    reset_ = ws_.document.reset.scoped([this] {
        historyStillValid();
        // Closing or opening a document ends the list editing of the old one.
        // (An emptied document hands out the old ids again: the list's node id may name another node.)
        if (listEditing() && (ws_.document.store().generation() != listGeneration_ || !ws_.document.inTree(listNode_)))
            endListEditing();
    });
    ws_.recordUndo = [this](std::string label, Workspace::UndoPart part, std::function<void()> undo,
                            std::function<void()> redo) {
        push(std::move(label), part == Workspace::UndoPart::Tree ? View::Tree : View::Waypoints, std::move(undo),
             std::move(redo));
    };
}

EditCommands::~EditCommands() { ws_.recordUndo = nullptr; }

core::ListRows& EditCommands::rowsOf(View view) {
    return view == View::Waypoints ? ws_.waypointRows : ws_.pointRows;
}

namespace {

// Undo groups: tree steps wait while a list is edited (the tree is out of
// reach then); steps of the waypoint list LV2 are always open; steps of LV1
// belong to their list editing session and go with it.
constexpr int kTreeGroup = 0;
constexpr int kWaypointListGroup = -2;

}  // namespace

void EditCommands::push(std::string label, View view, std::function<void()> undo, std::function<void()> redo) {
    int group = view == View::Points ? session_ : view == View::Waypoints ? kWaypointListGroup : kTreeGroup;
    // LV1 holds rows only while a list is edited; there is nothing to take back otherwise.
    if (view == View::Points && !listEditing()) return;
    if (view != View::Waypoints) {
        history_.push({std::move(label), std::move(undo), std::move(redo), group, nullptr});
    } else {
        // Steps of the waypoint list refer to row numbers: they apply only to
        // the rows as they left them, whatever else happened in between.
        core::ListRows& rows = ws_.waypointRows;
        auto fits = std::make_shared<std::pair<std::size_t, std::size_t>>(0, core::RowsFingerprint(rows));  // undone, done
        history_.push({std::move(label),
                       [&rows, undo, fits] {
                           undo();
                           fits->first = core::RowsFingerprint(rows);
                       },
                       [&rows, redo, fits] {
                           redo();
                           fits->second = core::RowsFingerprint(rows);
                       },
                       group,
                       [&rows, fits](bool undoing) {
                           return core::RowsFingerprint(rows) == (undoing ? fits->second : fits->first);
                       }});
    }
    nodeCountSeen_ = ws_.document.store().nodeCount();
}

bool EditCommands::groupOpen(int group) const {
    if (group == kWaypointListGroup) return true;
    if (group == kTreeGroup) return !listEditing();
    return group == session_ && listEditing();
}

bool EditCommands::historyStillValid() {
    // Opening or closing a document empties the store, and node ids are
    // reused after that: steps from before can no longer be applied.
    if (ws_.document.store().nodeCount() < nodeCountSeen_) {
        history_.clear();
        nodeCountSeen_ = 0;
        return false;
    }
    return true;
}

bool EditCommands::canUndo() const { return history_.canUndo() && groupOpen(history_.undoGroup()); }

bool EditCommands::canRedo() const { return history_.canRedo() && groupOpen(history_.redoGroup()); }

void EditCommands::undo() {
    if (ws_.busy() || !historyStillValid() || !canUndo()) return;
    if (!history_.undo()) ws_.host.prompts().show(OwnText(OwnMessage::UndoStale), host::Severity::Warning);
}

void EditCommands::redo() {
    if (ws_.busy() || !historyStillValid() || !canRedo()) return;
    if (!history_.redo()) ws_.host.prompts().show(OwnText(OwnMessage::UndoStale), host::Severity::Warning);
}

// --- list editing ---

void EditCommands::mShowPointsClick() {
    core::Document& doc = ws_.document;
    core::NodeId focused = doc.focused();
    if (focused == core::kNoNode || listEditing() || ws_.busy()) return;
    if (showPage) showPage(kPointsPageIndex);
    core::NodeId node = core::kNoNode;
    for (core::NodeId n = focused; n != core::kNoNode && n != core::kRootNode; n = doc.parent(n)) {
        core::NodeRole role = doc.roleOf(n);
        if (n == doc.waypoints() || n == doc.trackpoints() || n == doc.routes() || role == core::NodeRole::Track ||
            role == core::NodeRole::Route) {
            node = n;
            break;
        }
    }
    if (node == core::kNoNode) return;  // metadata lists nothing

    Operations::Scope scope(ws_.operations);
    core::PointLoader loader = ws_.loader(&scope.operation());
    core::ListRows& rows = ws_.pointRows;
    listNode_ = node;
    listGeneration_ = doc.store().generation();
    ++session_;
    editingChanged(true);
    rows.clear();
    // Room for every row at once.
    size_t expected = 0;
    if (node == doc.trackpoints())
        expected = static_cast<size_t>(doc.trackPointCount());
    else if (doc.roleOf(node) == core::NodeRole::Track && doc.segmentOf(node) != core::kNoNode)
        expected = doc.childCount(doc.segmentOf(node));
    else
        expected = doc.childCount(node);
    rows.reserve(expected);
    if (node == doc.waypoints()) {
        ws_.setListName("Waypoints");
        loader.ShowWaypoints(rows);
    } else if (node == doc.trackpoints()) {
        loader.ShowAllTracks(rows);
        // Listing names each track as it goes; the list is all of them.
        ws_.setListName("All Tracks");
        LijstSorteren(View::Points);
    } else if (node == doc.routes()) {
        loader.ShowAllRoutes(rows);
        ws_.setListName("All Routes");
        LijstSorteren(View::Points);
    } else if (doc.roleOf(node) == core::NodeRole::Track) {
        loader.ShowTrack(rows, node);
    } else {
        loader.ShowRoute(rows, node);
    }
    // Sorting right after listing is part of listing, not an undo step.
    history_.dropGroup(session_);
    // A list cut short by Escape must not be edited: its OK would replace
    // the whole track or route with the part that was listed.
    if (scope.operation().cancelled()) {
        endListEditing();
        ws_.report("Edit list of points cancelled");
    }
}

void EditCommands::endListEditing() {
    history_.dropGroup(session_);
    listNode_ = core::kNoNode;
    ws_.pointRows.clear();
    editingChanged(false);
}

void EditCommands::btOKClick(const std::string& name) {
    if (ws_.busy()) return;
    if (!listEditing()) return endListEditing();
    core::Document& doc = ws_.document;
    if (!doc.inTree(listNode_)) return endListEditing();
    auto w = std::make_shared<core::ListWriteBack>();
    {
        Operations::Scope scope(ws_.operations);
        *w = core::WriteListBack(doc, listNode_, name, ws_.pointRows, scope.operation(),
                                 [this](const std::string& s) { ws_.status(s); });
    }
    doc.documentModified = true;
    endListEditing();
    if (w->wrote)
        push("OK", View::Tree, [this, w] { core::UndoWriteBack(ws_.document, *w); },
             [this, w] { core::RedoWriteBack(ws_.document, *w); });
}

void EditCommands::btCancelClick() {
    if (ws_.busy()) return;
    endListEditing();
}

// --- rows ---

void EditCommands::deleteRows(View view, const Rows& selected, const std::string& label) {
    if (view != View::Points && view != View::Waypoints) return;
    if (selected.empty()) return;
    Operations::Scope busy(ws_.operations);  // the busy cursor over long lists
    core::ListRows& rows = rowsOf(view);
    auto removed = std::make_shared<core::RemovedRows>(core::DeleteRows(rows, selected));
    if (removed->indices.empty()) return;
    if (view == View::Points) ws_.document.documentModified = true;
    push(label, view, [&rows, removed] { core::RestoreRows(rows, *removed); },
         [&rows, removed] { core::DeleteRows(rows, removed->indices); });
}

void EditCommands::PuntenVerwijderen(View view, const Rows& selected) {
    deleteRows(view, selected, "Delete");
}

void EditCommands::LijstSorteren(View view) {
    if (view != View::Points && view != View::Waypoints) return;
    Operations::Scope busy(ws_.operations);  // the busy cursor over long lists
    ws_.report("Sort list");
    core::ListRows& rows = rowsOf(view);
    auto order = std::make_shared<core::RowOrder>(core::SortRowsByTime(rows));
    push("Sort", view, [&rows, order] { core::UndoRowOrder(rows, *order); },
         [&rows, order] { core::ApplyRowOrder(rows, *order); });
}

void EditCommands::LV2ColumnClick(int column) {
    core::ListRows& rows = ws_.waypointRows;
    auto order = std::make_shared<core::RowOrder>(core::SortRowsByColumn(rows, column));
    if (order->empty()) return;
    push("Sort", View::Waypoints, [&rows, order] { core::UndoRowOrder(rows, *order); },
         [&rows, order] { core::ApplyRowOrder(rows, *order); });
}

void EditCommands::PuntBewerken(View view, const Rows& selected) {
    if ((view != View::Points && view != View::Waypoints) || selected.empty()) return;
    core::ListRows& rows = rowsOf(view);
    Rows chosen;
    for (size_t i : selected)
        if (i < rows.size()) chosen.push_back(i);
    if (chosen.empty()) return;
    std::sort(chosen.begin(), chosen.end());
    core::PointEditModel model = core::ModelFromRow(rows.row(chosen.front()), chosen.size() >= 2);
    model.symbols = &ws_.symbols;
    model.locale = &ws_.host.locale();
    if (!ws_.host.prompts().show(model)) return;
    auto old = std::make_shared<std::vector<std::pair<size_t, core::ListRow>>>();
    auto changed = std::make_shared<std::vector<std::pair<size_t, core::ListRow>>>();
    const auto& locale = ws_.host.locale();
    // A single edit writes the row it was opened on; a multi edit all selected.
    Rows targets = model.multi ? chosen : Rows{chosen.front()};
    for (size_t i : targets) {
        core::ListRow row = rows.row(i);
        old->emplace_back(i, row);
        core::WriteToRow(model, row, locale);
        changed->emplace_back(i, row);
        rows.setRow(i, std::move(row));
    }
    rows.changed();
    auto put = [&rows](const std::vector<std::pair<size_t, core::ListRow>>& which) {
        for (const auto& [i, row] : which) rows.setRow(i, row);
        rows.changed();
    };
    push("Edit", view, [put, old] { put(*old); }, [put, changed] { put(*changed); });
}

void EditCommands::mEditPointClick() {
    core::Document& doc = ws_.document;
    if (doc.focused() == core::kNoNode || ws_.busy()) return;
    core::TreePointTarget target = core::FindEditTarget(doc, doc.focused());
    auto edit = std::make_shared<core::TreePointEdit>();
    if (target.kind == core::TreePointTarget::Kind::NameLine) {
        std::string current = doc.store().value(target.node);
        std::optional<std::string> answer = ws_.host.prompts().inputText("Edit name", "Name: ", current);
        // A cancelled box changes nothing (and does not mark the document changed).
        if (!answer || *answer == current) return;
        *edit = core::WriteNameLine(doc, target.node, *answer);
    } else if (target.kind == core::TreePointTarget::Kind::Point) {
        const auto& clock = ws_.host.clock();
        core::PointEditModel model =
            core::ModelFromPoint(doc, target.node, clock, ws_.host.locale().decimalSeparator());
        model.symbols = &ws_.symbols;
        model.locale = &ws_.host.locale();
        if (!ws_.host.prompts().show(model)) return;
        *edit = core::WritePoint(doc, target.node, model, clock);
        using core::PointField;
        plot::UpdateBounds(ws_.plot, core::CommaToPoint(model.field(PointField::Lat)),
                           core::CommaToPoint(model.field(PointField::Lon)),
                           core::CommaToPoint(model.field(PointField::Ele)),
                           core::CommaToPoint(model.field(PointField::DateTime)),
                           [this](const std::string& s) { ws_.report(s); });
    } else {
        return;
    }
    push("Edit point", View::Tree, [this, edit] { core::UndoPointEdit(ws_.document, *edit); },
         [this, edit] { core::RedoPointEdit(ws_.document, *edit); });
}

// --- clipboard ---

void EditCommands::copyRows(View view, const Rows& selected) {
    Operations::Scope busy(ws_.operations);  // the busy cursor over long lists
    klembord_ = core::RowsText(rowsOf(view), selected);
    ws_.host.clipboard().setText(klembord_);
}

void EditCommands::pasteRows(View view, const Rows& selected) {
    Operations::Scope busy(ws_.operations);  // the busy cursor over long lists
    klembord_ = ws_.host.clipboard().text();
    if (!core::IsRowText(klembord_)) return;
    std::vector<core::ListRow> pasted = core::ParseRowText(klembord_);
    if (pasted.empty()) return;
    core::ListRows& rows = rowsOf(view);
    size_t at = rows.size();
    if (!selected.empty()) at = std::min(*std::min_element(selected.begin(), selected.end()) + 1, at);
    auto copy = std::make_shared<std::vector<core::ListRow>>(pasted);
    size_t count = pasted.size();
    at = core::InsertRows(rows, at, std::move(pasted));
    if (view == View::Points) ws_.document.documentModified = true;
    push("Paste", view, [&rows, at, count] { core::EraseRows(rows, at, count); },
         [&rows, at, copy] { core::InsertRows(rows, at, *copy); });
}

void EditCommands::Knippen1Click(View focus, const Rows& selected) {
    if (focus == View::Tree) return treeCut();
    if ((focus == View::Points || focus == View::Waypoints) && listEditing()) {
        copyRows(focus, selected);
        deleteRows(focus, selected, "Cut");
    }
}

void EditCommands::Kopieren1Click(View focus, const Rows& selected) {
    if (focus == View::Tree) return treeCopy();
    if (focus == View::Points || focus == View::Waypoints) copyRows(focus, selected);
}

void EditCommands::Plakken1Click(View focus, const Rows& selected) {
    if (focus == View::Tree) return treePaste();
    if ((focus == View::Points || focus == View::Waypoints) && listEditing()) pasteRows(focus, selected);
}

namespace {

// The tree commands do not run inside each other (a paste lets events run,
// and a key may arrive meanwhile); the flag always drops again.
struct Guard {
    bool& flag;
    explicit Guard(bool& f) : flag(f) { flag = true; }
    ~Guard() { flag = false; }
};

}  // namespace

void EditCommands::treeCopy() {
    core::NodeId node = ws_.document.focused();
    if (treeBusy_ || node == core::kNoNode || ws_.busy()) return;
    Guard guard(treeBusy_);
    Operations::Scope scope(ws_.operations);
    klembord_ = formats::createXmlFromNode(ws_.document, node, &ws_.host.clipboard());
}

void EditCommands::treeCut() {
    core::Document& doc = ws_.document;
    if (treeBusy_ || doc.focused() == core::kNoNode || ws_.busy() || listEditing()) return;
    Guard guard(treeBusy_);
    Operations::Scope scope(ws_.operations);
    klembord_ = formats::createXmlFromNode(doc, doc.focused(), &ws_.host.clipboard());
    core::PointLoader loader = ws_.loader(&scope.operation());
    auto change = std::make_shared<core::TreeChange>(core::CutFocused(
        doc, loader, ws_.host.clipboard(), ws_.host.locale(), [this](const std::string& s) { ws_.report(s); }));
    if (change->empty()) return;
    push("Cut", View::Tree, [this, change] { core::UndoTreeChange(ws_.document, *change); },
         [this, change] { core::RedoTreeChange(ws_.document, *change); });
}

void EditCommands::treePaste() {
    core::Document& doc = ws_.document;
    if (treeBusy_ || doc.focused() == core::kNoNode || ws_.busy() || listEditing()) return;
    Guard guard(treeBusy_);
    klembord_ = ws_.host.clipboard().text();
    if (!klembord_.starts_with("<gpx")) return;
    Operations::Scope scope(ws_.operations);
    formats::Env env = ws_.env(scope.operation());
    formats::GpxInserter inserter(env);
    core::InsertWatch watch(doc);
    formats::xml::ParseError error;
    bool ok = inserter.xmlAddChild(klembord_, &error);
    auto change = std::make_shared<core::TreeChange>(watch.end(doc));
    if (!ok && error.message.size()) ws_.report(error.message);
    if (change->empty()) return;
    doc.documentModified = true;
    push("Paste", View::Tree, [this, change] { core::UndoTreeChange(ws_.document, *change); },
         [this, change] { core::RedoTreeChange(ws_.document, *change); });
}

// --- track analysis ---

void EditCommands::Berekenafstand1Click(View view) {
    if (view != View::Points && view != View::Waypoints) return;
    std::optional<long double> km = core::PathLengthKm(rowsOf(view));
    if (!km) return;
    ws_.host.prompts().show(ws_.message(21) + " " + TwoDecimals(*km) + " km", host::Severity::Information);
}

void EditCommands::Verplaatsnaardichtsbijzijnde1Click(View view, const Rows& selected) {
    if (view != View::Points || selected.empty()) return;
    core::ListRows& rows = ws_.pointRows;
    size_t from = *std::min_element(selected.begin(), selected.end());
    if (from >= rows.size()) return;
    size_t to = core::MoveToClosest(rows, from);
    ws_.document.documentModified = true;
    push("Move to closest point", view, [&rows, from, to] { core::MoveRow(rows, to, from); },
         [&rows, from, to] { core::MoveRow(rows, from, to); });
}

void EditCommands::Gebruiktijdalspuntnaam1Click(View view) {
    if (view != View::Points) return;
    core::ListRows& rows = ws_.pointRows;
    auto old = std::make_shared<std::vector<std::string>>(core::UseTimeAsName(rows));
    push("Use time as point name", view, [&rows, old] { core::RestoreNames(rows, *old); },
         [&rows] { core::UseTimeAsName(rows); });
}

void EditCommands::Trackomkeren1Click() {
    core::ListRows& rows = ws_.pointRows;
    if (ws_.busy()) return;
    if (rows.empty()) {
        reverseFocusedTrack();
        return;
    }
    Operations::Scope busy(ws_.operations);  // the busy cursor over long lists
    // The rows are reversed in place rather than through the memo's text,
    // so values holding ">" stay whole; the memo is emptied as before.
    klembord_.clear();
    core::ReverseRows(rows);
    ws_.document.documentModified = true;
    push("Reverse track", View::Points, [&rows] { core::ReverseRows(rows); }, [&rows] { core::ReverseRows(rows); });
}

void EditCommands::reverseFocusedTrack() {
    core::Document& doc = ws_.document;
    core::NodeId track = doc.ancestorWithRole(doc.focused(), core::NodeRole::Track);
    if (track == core::kNoNode || listEditing()) {
        ws_.host.prompts().show(OwnText(OwnMessage::NoTrackToReverse), host::Severity::Information);
        return;
    }
    Operations::Scope busy(ws_.operations);
    core::ReverseTrackInTree(doc, track);
    ws_.report("Reverse track: " + doc.nameOf(track));
    push("Reverse track", View::Tree, [this, track] { core::ReverseTrackInTree(ws_.document, track); },
         [this, track] { core::ReverseTrackInTree(ws_.document, track); });
}

void EditCommands::addContainer(bool track) {
    core::Document& doc = ws_.document;
    if (ws_.busy() || listEditing()) return;
    core::InsertWatch watch(doc);
    if (track)
        doc.NewTrack("new track");
    else
        doc.NewRoute("new route");
    doc.documentModified = true;
    auto change = std::make_shared<core::TreeChange>(watch.end(doc));
    if (change->empty()) return;
    push(track ? "New track" : "New route", View::Tree, [this, change] { core::UndoTreeChange(ws_.document, *change); },
         [this, change] { core::RedoTreeChange(ws_.document, *change); });
}

void EditCommands::mNewTrackClick() { addContainer(true); }

void EditCommands::mNewRouteClick() { addContainer(false); }

}  // namespace app
