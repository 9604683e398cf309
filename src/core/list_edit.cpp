#include "core/list_edit.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "core/fn.h"
#include "core/text.h"

namespace core {

namespace {

// Row i becomes the old row order[i]. In place, cycle by cycle: a million
// rows are a few hundred megabytes, and a second copy of them costs more in
// fresh memory than the moving itself.
void applyOrder(ListRows& view, const RowOrder& order) {
    std::vector<bool> placed(order.size(), false);
    for (size_t start = 0; start < order.size(); ++start) {
        if (placed[start]) continue;
        ListRow held = std::move(view.rows[start]);
        size_t j = start;
        while (true) {
            placed[j] = true;
            size_t from = order[j];
            if (from == start) {
                view.rows[j] = std::move(held);
                break;
            }
            view.rows[j] = std::move(view.rows[from]);
            j = from;
        }
    }
}

bool isIdentity(const RowOrder& order) {
    for (size_t i = 0; i < order.size(); ++i)
        if (order[i] != i) return false;
    return true;
}

RowOrder stableOrderBy(const ListRows& view, int column) {
    auto c = static_cast<size_t>(column);
    // A recorded track is nearly always listed in time order already: then
    // the order is the rows' own, found in one pass without copying a key.
    bool sorted = true;
    for (size_t i = 1; i < view.rows.size() && sorted; ++i) sorted = !(view.rows[i][c] < view.rows[i - 1][c]);
    if (sorted) {
        RowOrder order(view.rows.size());
        std::iota(order.begin(), order.end(), std::uint32_t{0});
        return order;
    }
    // The keys are copied next to their row numbers first: sorting them in
    // one compact block is much quicker than reaching into every row.
    std::vector<std::pair<std::string, std::uint32_t>> keys;
    keys.reserve(view.rows.size());
    for (size_t i = 0; i < view.rows.size(); ++i) keys.emplace_back(view.rows[i][c], static_cast<std::uint32_t>(i));
    // Ties go by row number, so equal keys keep their order.
    std::sort(keys.begin(), keys.end());
    RowOrder order;
    order.reserve(keys.size());
    for (const auto& k : keys) order.push_back(k.second);
    return order;
}

void renumberQuietly(ListRows& view) {
    for (size_t i = 0; i < view.rows.size(); ++i) view.rows[i][kColNr] = std::to_string(i + 1);
}

}  // namespace

void Renumber(ListRows& view) {
    renumberQuietly(view);
    view.changed();
}

RowOrder SortRowsByTime(ListRows& view) { return SortRowsByColumn(view, kColSerial); }

RowOrder SortRowsByColumn(ListRows& view, int column) {
    if (column <= kColNr || column >= kColumnCount) return {};
    RowOrder order = stableOrderBy(view, column);
    if (!isIdentity(order)) applyOrder(view, order);
    Renumber(view);
    return order;
}

void ApplyRowOrder(ListRows& view, const RowOrder& order) {
    if (order.size() != view.rows.size()) return;
    applyOrder(view, order);
    Renumber(view);
}

void UndoRowOrder(ListRows& view, const RowOrder& order) {
    if (order.size() != view.rows.size()) return;
    RowOrder inverse(order.size());
    for (size_t i = 0; i < order.size(); ++i) inverse[order[i]] = static_cast<std::uint32_t>(i);
    applyOrder(view, inverse);
    Renumber(view);
}

void SortPointListByTime(PointList& points) {
    std::vector<PointRecord> records;
    records.reserve(static_cast<size_t>(points.count()));
    for (int i = 1; i <= points.count(); ++i) records.push_back(std::move(points[i]));
    std::stable_sort(records.begin(), records.end(),
                     [](const PointRecord& a, const PointRecord& b) { return a.time < b.time; });
    for (int i = 1; i <= points.count(); ++i) points[i] = std::move(records[static_cast<size_t>(i - 1)]);
}

RemovedRows DeleteRows(ListRows& view, std::vector<std::size_t> selected) {
    RemovedRows removed;
    std::sort(selected.begin(), selected.end());
    selected.erase(std::unique(selected.begin(), selected.end()), selected.end());
    std::erase_if(selected, [&view](size_t i) { return i >= view.rows.size(); });
    if (selected.empty()) return removed;
    removed.indices = selected;
    removed.rows.reserve(selected.size());
    // Compacted in place: a second vector of a million rows would be a
    // third of a gigabyte for the few rows that go.
    size_t next = 0, to = selected.front();
    for (size_t i = to; i < view.rows.size(); ++i) {
        if (next < selected.size() && selected[next] == i) {
            removed.rows.push_back(std::move(view.rows[i]));
            ++next;
        } else {
            view.rows[to++] = std::move(view.rows[i]);
        }
    }
    view.rows.resize(to);
    Renumber(view);
    return removed;
}

void RestoreRows(ListRows& view, const RemovedRows& removed) {
    if (removed.indices.empty()) return;
    std::vector<ListRow> merged;
    merged.reserve(view.rows.size() + removed.rows.size());
    size_t kept = 0, back = 0;
    while (kept < view.rows.size() || back < removed.rows.size()) {
        if (back < removed.rows.size() && removed.indices[back] == merged.size())
            merged.push_back(removed.rows[back++]);
        else if (kept < view.rows.size())
            merged.push_back(std::move(view.rows[kept++]));
        else
            merged.push_back(removed.rows[back++]);  // beyond the end: keep them all the same
    }
    view.rows = std::move(merged);
    Renumber(view);
}

RowChange DiffRows(const std::vector<ListRow>& before, const std::vector<ListRow>& after) {
    RowChange c;
    c.sizeBefore = before.size();
    for (std::size_t i = 0; i < before.size() && i < after.size(); ++i)
        if (before[i] != after[i]) {
            c.replaced.emplace_back(i, before[i]);
            c.written.emplace_back(i, after[i]);
        }
    if (after.size() > before.size()) c.added.assign(after.begin() + static_cast<std::ptrdiff_t>(before.size()), after.end());
    return c;
}

std::size_t RowsFingerprint(const ListRows& view) {
    std::size_t h = view.rows.size();
    for (const ListRow& row : view.rows)
        for (const std::string& field : row) h = h * 1000003u ^ std::hash<std::string>{}(field);
    return h;
}

void UndoRowChange(ListRows& view, const RowChange& change) {
    if (view.rows.size() > change.sizeBefore) view.rows.resize(change.sizeBefore);
    for (const auto& [i, row] : change.replaced)
        if (i < view.rows.size()) view.rows[i] = row;
    view.changed();
}

void RedoRowChange(ListRows& view, const RowChange& change) {
    for (const auto& [i, row] : change.written)
        if (i < view.rows.size()) view.rows[i] = row;
    view.rows.insert(view.rows.end(), change.added.begin(), change.added.end());
    view.changed();
}

std::string RowsText(const ListRows& view, const std::vector<std::size_t>& selected) {
    std::vector<size_t> order = selected;
    std::sort(order.begin(), order.end());
    order.erase(std::unique(order.begin(), order.end()), order.end());
    std::string text;
    for (size_t i : order) {
        if (i >= view.rows.size()) continue;
        const ListRow& row = view.rows[i];
        for (size_t c = 0; c < row.size(); ++c) {
            text += c == 0 ? "<" : ",<";
            text += row[c];
            text += '>';
        }
        text += "\r\n";
    }
    return text;
}

std::string RowField(std::string_view line, int n) {
    line = Trim(line);
    if (line.empty() || n < 1) return {};
    line.remove_prefix(1);  // the opening "<"
    if (!line.empty() && line.back() == '>') line.remove_suffix(1);
    constexpr std::string_view kSeparator = ">,<";
    for (int k = 1; k < n; ++k) {
        size_t at = line.find(kSeparator);
        if (at == std::string_view::npos) return {};
        line.remove_prefix(at + kSeparator.size());
    }
    return std::string(line.substr(0, line.find(kSeparator)));
}

bool IsRowText(std::string_view text) {
    return !text.starts_with("<gpx") && text.find(">,<") != std::string_view::npos;
}

std::vector<ListRow> ParseRowText(std::string_view text) {
    std::vector<ListRow> rows;
    while (!text.empty()) {
        size_t end = text.find_first_of("\r\n");
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        std::string_view trimmed = Trim(line);
        if (trimmed.empty() || trimmed.front() != '<') continue;
        ListRow row;
        for (int c = 0; c < kColumnCount; ++c) row[static_cast<size_t>(c)] = RowField(trimmed, c + 1);
        rows.push_back(std::move(row));
    }
    return rows;
}

std::size_t InsertRows(ListRows& view, std::size_t at, std::vector<ListRow> rows) {
    at = std::min(at, view.rows.size());
    view.rows.insert(view.rows.begin() + static_cast<std::ptrdiff_t>(at), std::make_move_iterator(rows.begin()),
                     std::make_move_iterator(rows.end()));
    Renumber(view);
    return at;
}

void EraseRows(ListRows& view, std::size_t at, std::size_t count) {
    if (at >= view.rows.size()) return;
    count = std::min(count, view.rows.size() - at);
    auto first = view.rows.begin() + static_cast<std::ptrdiff_t>(at);
    view.rows.erase(first, first + static_cast<std::ptrdiff_t>(count));
    Renumber(view);
}

void ReverseRows(ListRows& view) {
    std::reverse(view.rows.begin(), view.rows.end());
    Renumber(view);
}

std::optional<long double> PathLengthKm(const ListRows& view) {
    if (view.rows.size() < 2) return std::nullopt;
    long double total = 0;
    long double lat0 = StrToFloatAny(view.rows[0][kColLat]), lon0 = StrToFloatAny(view.rows[0][kColLon]);
    for (const ListRow& row : view.rows) {
        long double lat = StrToFloatAny(row[kColLat]), lon = StrToFloatAny(row[kColLon]);
        total += DistanceKm(lat0, lon0, lat, lon);
        lat0 = lat;
        lon0 = lon;
    }
    return total;
}

std::size_t MoveToClosest(ListRows& view, std::size_t selected) {
    if (selected >= view.rows.size()) return selected;
    long double lat = StrToFloatAny(view.rows[selected][kColLat]);
    long double lon = StrToFloatAny(view.rows[selected][kColLon]);
    long double best = 1000;
    size_t bestIndex = 0;
    for (size_t k = 0; k < view.rows.size(); ++k) {
        if (k == selected) continue;
        long double d = DistanceKm(lat, lon, StrToFloatAny(view.rows[k][kColLat]), StrToFloatAny(view.rows[k][kColLon]));
        if (d < best) {
            best = d;
            bestIndex = k;
        }
    }
    // Inserted before the closest row, then the original goes.
    size_t to = selected < bestIndex ? bestIndex - 1 : bestIndex;
    MoveRow(view, selected, to);
    return to;
}

void MoveRow(ListRows& view, std::size_t from, std::size_t to) {
    if (from >= view.rows.size() || to >= view.rows.size()) return;
    ListRow row = std::move(view.rows[from]);
    view.rows.erase(view.rows.begin() + static_cast<std::ptrdiff_t>(from));
    view.rows.insert(view.rows.begin() + static_cast<std::ptrdiff_t>(to), std::move(row));
    Renumber(view);
}

std::vector<std::string> UseTimeAsName(ListRows& view) {
    std::vector<std::string> old;
    old.reserve(view.rows.size());
    for (ListRow& row : view.rows) {
        std::string name;
        for (char c : row[kColTime])
            if (c != ':') name += c;
        if (name.size() < 6) name.insert(0, 6 - name.size(), '0');
        old.push_back(std::exchange(row[kColName], std::move(name)));
    }
    view.changed();
    return old;
}

void RestoreNames(ListRows& view, const std::vector<std::string>& names) {
    if (names.size() != view.rows.size()) return;
    for (size_t i = 0; i < names.size(); ++i) view.rows[i][kColName] = names[i];
    view.changed();
}

namespace {

std::vector<NodeId> childrenOf(const Document& doc, NodeId node) {
    std::vector<NodeId> ids;
    for (NodeId c = doc.firstChild(node); c != kNoNode; c = doc.nextSibling(c)) ids.push_back(c);
    return ids;
}

// A point's type has no list column: it follows its point through the list
// by place and name, so that an OK does not drop it.
struct KeptType {
    long double lat, lon;
    std::string name, type;
    bool used = false;
};

std::vector<KeptType> typesOf(const Document& doc, NodeId listNode) {
    std::vector<KeptType> kept;
    const NodeStore& store = doc.store();
    for (NodeId p = doc.firstChild(listNode); p != kNoNode; p = doc.nextSibling(p)) {
        NodeId type = doc.attributeChild(p, AttrKey::Type);
        if (type == kNoNode) continue;
        auto value = [&](AttrKey key) {
            NodeId line = doc.attributeChild(p, key);
            return line == kNoNode ? std::string() : store.value(line);
        };
        kept.push_back({StrToFloatAny(value(AttrKey::Lat)), StrToFloatAny(value(AttrKey::Lon)), value(AttrKey::Name),
                        store.value(type)});
    }
    return kept;
}

std::string typeFor(std::vector<KeptType>& kept, const ListRow& row) {
    constexpr long double kSamePlaceDeg = 1e-6;  // rows hold 12 characters of a co-ordinate
    constexpr size_t kRowNameChars = 32;         // route rows cut their names
    long double lat = StrToFloatAny(CommaToPoint(row[kColLat])), lon = StrToFloatAny(CommaToPoint(row[kColLon]));
    for (KeptType& k : kept) {
        if (k.used || Utf8Left(k.name, kRowNameChars) != Utf8Left(row[kColName], kRowNameChars)) continue;
        if (std::fabs(k.lat - lat) > kSamePlaceDeg || std::fabs(k.lon - lon) > kSamePlaceDeg) continue;
        k.used = true;
        return k.type;
    }
    return {};
}

std::vector<NodeId> unlinkChildren(Document& doc, NodeId node) {
    std::vector<NodeId> ids = childrenOf(doc, node);
    for (NodeId c : ids) doc.unlinkNode(c);
    return ids;
}

void relinkChildren(Document& doc, NodeId node, const std::vector<NodeId>& ids) {
    for (NodeId c : ids) doc.relinkNode(c, node, kNoNode);
}

}  // namespace

void DropStaleInsertion(Document& doc) {
    if (!doc.inTree(doc.currentSegment)) doc.currentSegment = kNoNode;
    if (!doc.inTree(doc.currentCountNode)) doc.currentCountNode = kNoNode;
    if (!doc.inTree(doc.currentRoute)) doc.currentRoute = kNoNode;
}

ListWriteBack WriteListBack(Document& doc, NodeId listNode, const std::string& name, const ListRows& view,
                            Operation& op, const std::function<void(const std::string&)>& status) {
    ListWriteBack w;
    if (!doc.inTree(listNode)) return w;
    NodeRole role = doc.roleOf(listNode);
    const char* what = nullptr;
    enum class Target { Waypoints, Track, Route, AllTracks } target;
    if (role == NodeRole::Container && listNode == doc.waypoints()) {
        target = Target::Waypoints;
        what = ": waypoint";
    } else if (role == NodeRole::Container && listNode == doc.trackpoints()) {
        target = Target::AllTracks;
        what = ": trackpoint";
    } else if (role == NodeRole::Track) {
        target = Target::Track;
        what = ": trackpoint";
    } else if (role == NodeRole::Route) {
        target = Target::Route;
        what = ": routepoint";
    } else {
        return w;  // "All Routes" and anything else write nothing
    }

    std::vector<KeptType> kept;
    if (target == Target::Waypoints || target == Target::Route) kept = typesOf(doc, listNode);
    doc.documentModified = true;
    doc.beginBulk();
    w.node = listNode;
    w.textBefore = doc.getText(listNode);
    switch (target) {
    case Target::Waypoints:
        w.before = unlinkChildren(doc, listNode);
        break;
    case Target::Track: {
        w.before = unlinkChildren(doc, listNode);
        doc.setText(listNode, "trk (" + name + ")");
        doc.appendNode(listNode, "name = " + name, kAttributeKind);
        doc.currentCountNode = doc.appendNode(listNode, "number = 0", kAttributeKind);
        doc.currentSegment = doc.appendNode(listNode, "trkseg", kSegmentKind);
        break;
    }
    case Target::Route:
        w.before = unlinkChildren(doc, listNode);
        doc.currentRoute = listNode;
        doc.appendNode(listNode, "name = " + name, kAttributeKind);
        break;
    case Target::AllTracks: {
        NodeId existing = doc.FindTrack(name);
        if (existing == kNoNode) {
            doc.NewTrack(name);
            w.createdTrack = doc.parent(doc.currentSegment);
            w.node = kNoNode;
        } else {
            // A track of that name gets its points replaced.
            w.node = doc.currentSegment;
            w.textBefore = doc.getText(w.node);
            w.before = unlinkChildren(doc, w.node);
        }
        break;
    }
    }
    w.textAfter = w.node == kNoNode ? std::string() : doc.getText(w.node);

    long n = 0;
    const long total = static_cast<long>(view.rows.size());
    for (const ListRow& row : view.rows) {
        ++n;
        switch (target) {
        case Target::Waypoints:
            doc.AddWaypoint(row[kColLat], row[kColLon], row[kColAlt], row[kColSerial], row[kColName],
                            Symbol::name(row[kColSymbol]), row[kColComment], row[kColDescription], typeFor(kept, row));
            break;
        case Target::Route:
            doc.AddRoutepoint(row[kColLat], row[kColLon], row[kColAlt], row[kColSerial], row[kColName],
                              Symbol::name(row[kColSymbol]), row[kColComment], row[kColDescription], typeFor(kept, row));
            break;
        case Target::Track:
        case Target::AllTracks:
            doc.AddTrackpoint(row[kColLat], row[kColLon], row[kColAlt], row[kColSerial],
                              {row[kColName], row[kColSymbol], row[kColComment], row[kColDescription], {}});
            break;
        }
        if (n % kYieldEvery == 0 && status) status(std::to_string(n) + what);
        // Escape does not stop the writing: a half-written list would lose
        // the rest of its points. Undo takes the whole OK back instead.
        op.step(n, total);
    }
    if (target == Target::Track) doc.setFocused(doc.currentSegment);
    if (target == Target::AllTracks) doc.setFocused(doc.currentSegment);
    if (w.node != kNoNode) w.after = childrenOf(doc, w.node);
    doc.endBulk();
    w.wrote = true;
    return w;
}

void UndoWriteBack(Document& doc, ListWriteBack& w) {
    if (!w.wrote) return;
    doc.beginBulk();
    if (w.createdTrack != kNoNode) {
        w.parent = doc.parent(w.createdTrack);
        doc.unlinkNode(w.createdTrack);
        doc.forgetTrackChoice(doc.nameOf(w.createdTrack));
    } else {
        w.after = unlinkChildren(doc, w.node);
        relinkChildren(doc, w.node, w.before);
        doc.setText(w.node, w.textBefore);
    }
    DropStaleInsertion(doc);
    doc.documentModified = true;
    doc.endBulk();
}

void RedoWriteBack(Document& doc, ListWriteBack& w) {
    if (!w.wrote) return;
    doc.beginBulk();
    if (w.createdTrack != kNoNode) {
        doc.relinkNode(w.createdTrack, w.parent, kNoNode);
        doc.cbTracks.items.push_back(doc.nameOf(w.createdTrack));
        doc.cbTracks.selected = 0;
        doc.cbTracks.changed();
    } else {
        unlinkChildren(doc, w.node);
        relinkChildren(doc, w.node, w.after);
        doc.setText(w.node, w.textAfter);
    }
    DropStaleInsertion(doc);
    doc.documentModified = true;
    doc.endBulk();
}

}  // namespace core
