#include "core/list_edit.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <optional>
#include <utility>

#include "core/fn.h"
#include "core/text.h"

namespace core {

namespace {

bool isIdentity(const RowOrder& order) {
    for (size_t i = 0; i < order.size(); ++i)
        if (order[i] != i) return false;
    return true;
}

RowOrder stableOrderBy(const ListRows& view, int column) {
    RowOrder order(view.size());
    // A recorded track is nearly always listed in time order already: then
    // the order is the rows' own, found in one pass that keeps no key.
    bool sorted = true;
    std::string previous, key;
    for (size_t i = 0; i < view.size() && sorted; ++i) {
        key = view.cell(i, column);
        sorted = i == 0 || !(key < previous);
        std::swap(previous, key);
    }
    if (sorted) {
        std::iota(order.begin(), order.end(), std::uint32_t{0});
        return order;
    }
    // The keys are read once, next to their row numbers: rows of points are
    // formatted when read, and sorting a compact block is quick besides.
    std::vector<std::pair<std::string, std::uint32_t>> keys;
    keys.reserve(view.size());
    for (size_t i = 0; i < view.size(); ++i) keys.emplace_back(view.cell(i, column), static_cast<std::uint32_t>(i));
    // Ties go by row number, so equal keys keep their order.
    std::sort(keys.begin(), keys.end());
    for (size_t i = 0; i < keys.size(); ++i) order[i] = keys[i].second;
    return order;
}

}  // namespace

void Renumber(ListRows& view) {
    view.renumber();
    view.changed();
}

RowOrder SortRowsByTime(ListRows& view) { return SortRowsByColumn(view, kColSerial); }

RowOrder SortRowsByColumn(ListRows& view, int column) {
    if (column <= kColNr || column >= kColumnCount) return {};
    RowOrder order = stableOrderBy(view, column);
    if (!isIdentity(order)) view.reorder(order);
    Renumber(view);
    return order;
}

void ApplyRowOrder(ListRows& view, const RowOrder& order) {
    if (order.size() != view.size()) return;
    view.reorder(order);
    Renumber(view);
}

void UndoRowOrder(ListRows& view, const RowOrder& order) {
    if (order.size() != view.size()) return;
    RowOrder inverse(order.size());
    for (size_t i = 0; i < order.size(); ++i) inverse[order[i]] = static_cast<std::uint32_t>(i);
    view.reorder(inverse);
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
    std::erase_if(selected, [&view](size_t i) { return i >= view.size(); });
    if (selected.empty()) return removed;
    removed.entries = view.take(selected);
    removed.indices = std::move(selected);
    removed.epoch = view.epoch();
    Renumber(view);
    return removed;
}

void RestoreRows(ListRows& view, const RemovedRows& removed) {
    // Entries of a list since cleared would name rows that are gone.
    if (removed.indices.empty() || removed.epoch != view.epoch()) return;
    view.putBack(removed.indices, removed.entries);
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
    std::size_t h = view.size();
    for (size_t i = 0; i < view.size(); ++i)
        for (const std::string& field : view.row(i)) h = h * 1000003u ^ std::hash<std::string>{}(field);
    return h;
}

void UndoRowChange(ListRows& view, const RowChange& change) {
    view.truncate(change.sizeBefore);
    for (const auto& [i, row] : change.replaced) view.setRow(i, row);
    view.changed();
}

void RedoRowChange(ListRows& view, const RowChange& change) {
    for (const auto& [i, row] : change.written) view.setRow(i, row);
    view.insert(view.size(), change.added);
    view.changed();
}

std::string RowsText(const ListRows& view, const std::vector<std::size_t>& selected) {
    std::vector<size_t> order = selected;
    std::sort(order.begin(), order.end());
    order.erase(std::unique(order.begin(), order.end()), order.end());
    std::string text;
    for (size_t i : order) {
        if (i >= view.size()) continue;
        const ListRow row = view.row(i);
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
    at = std::min(at, view.size());
    view.insert(at, std::move(rows));
    Renumber(view);
    return at;
}

void EraseRows(ListRows& view, std::size_t at, std::size_t count) {
    if (at >= view.size()) return;
    view.erase(at, count);
    Renumber(view);
}

void ReverseRows(ListRows& view) {
    view.reverse();
    Renumber(view);
}

std::optional<long double> PathLengthKm(const ListRows& view) {
    if (view.size() < 2) return std::nullopt;
    long double total = 0;
    RowValues first = view.values(0);
    long double lat0 = first.lat, lon0 = first.lon;
    for (size_t i = 0; i < view.size(); ++i) {
        RowValues v = view.values(i);
        total += DistanceKm(lat0, lon0, v.lat, v.lon);
        lat0 = v.lat;
        lon0 = v.lon;
    }
    return total;
}

std::size_t MoveToClosest(ListRows& view, std::size_t selected) {
    if (selected >= view.size()) return selected;
    RowValues from = view.values(selected);
    long double best = 1000;
    size_t bestIndex = 0;
    for (size_t k = 0; k < view.size(); ++k) {
        if (k == selected) continue;
        RowValues v = view.values(k);
        long double d = DistanceKm(from.lat, from.lon, v.lat, v.lon);
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
    if (from >= view.size() || to >= view.size()) return;
    if (from == to) return Renumber(view);
    RowOrder order(view.size());
    std::iota(order.begin(), order.end(), std::uint32_t{0});
    order.erase(order.begin() + static_cast<std::ptrdiff_t>(from));
    order.insert(order.begin() + static_cast<std::ptrdiff_t>(to), static_cast<std::uint32_t>(from));
    view.reorder(order);
    Renumber(view);
}

std::vector<std::string> UseTimeAsName(ListRows& view) {
    std::vector<std::string> old;
    old.reserve(view.size());
    for (size_t i = 0; i < view.size(); ++i) {
        ListRow row = view.row(i);
        std::string name;
        for (char c : row[kColTime])
            if (c != ':') name += c;
        if (name.size() < 6) name.insert(0, 6 - name.size(), '0');
        old.push_back(std::exchange(row[kColName], std::move(name)));
        view.setRow(i, std::move(row));
    }
    view.changed();
    return old;
}

void RestoreNames(ListRows& view, const std::vector<std::string>& names) {
    if (names.size() != view.size()) return;
    for (size_t i = 0; i < names.size(); ++i) view.setCell(i, kColName, names[i]);
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

// To the end of `segment`, from wherever the point is: another segment, or
// out of the tree.
void bringPoint(Document& doc, NodeId point, NodeId segment) {
    if (doc.parent(point) == kNoNode)
        doc.relinkNode(point, segment, kNoNode);
    else
        doc.moveNode(point, segment, kNoNode);
}

// A point's label is its place in the segment unless it carries a name.
std::vector<ListWriteBack::Relabel> relabelByPlace(Document& doc, const std::vector<NodeId>& points) {
    std::vector<ListWriteBack::Relabel> changed;
    for (size_t i = 0; i < points.size(); ++i) {
        auto place = static_cast<std::uint32_t>(i + 1);
        std::optional<std::uint32_t> number = doc.trackPointNumber(points[i]);
        if (!number || *number == place) continue;
        changed.push_back({points[i], *number, place});
        doc.setTrackPointNumber(points[i], place);
    }
    return changed;
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
            w.countLine = doc.currentCountNode;
            w.countBefore = doc.getText(w.countLine);
            w.before = unlinkChildren(doc, w.node);
        }
        break;
    }
    }
    w.textAfter = w.node == kNoNode ? std::string() : doc.getText(w.node);

    // Points listed from what is being replaced go over node and all:
    // nothing of them is cut to the row's texts or lost, and an OK of a
    // million points moves nodes instead of building new ones.
    std::vector<bool> replaced;
    const bool flat = target == Target::AllTracks && w.node != kNoNode;  // the points themselves were unlinked
    if (target == Target::Track || flat) {
        replaced.resize(doc.store().nodeCount());
        auto mark = [&](NodeId p) {
            if (doc.kind(p) == kTrackPointKind) replaced[p] = true;
        };
        if (flat) {
            for (NodeId p : w.before) mark(p);
        } else {
            for (NodeId seg : w.before) {
                if (doc.kind(seg) != kSegmentKind) continue;
                auto& [segment, points] = w.segmentPoints.emplace_back(seg, childrenOf(doc, seg));
                for (NodeId p : points) mark(p);
            }
        }
    }

    long n = 0;
    const long total = static_cast<long>(view.size());
    for (size_t i = 0; i < view.size(); ++i) {
        ++n;
        NodeId point = view.pointNode(i);
        if (point != kNoNode && point < replaced.size() && replaced[point]) {
            replaced[point] = false;  // a node goes over once
            bringPoint(doc, point, doc.currentSegment);
        } else {
            const ListRow row = view.row(i);
            switch (target) {
            case Target::Waypoints:
                doc.AddWaypoint(row[kColLat], row[kColLon], row[kColAlt], row[kColSerial], row[kColName],
                                Symbol::name(row[kColSymbol]), row[kColComment], row[kColDescription],
                                typeFor(kept, row));
                break;
            case Target::Route:
                doc.AddRoutepoint(row[kColLat], row[kColLon], row[kColAlt], row[kColSerial], row[kColName],
                                  Symbol::name(row[kColSymbol]), row[kColComment], row[kColDescription],
                                  typeFor(kept, row));
                break;
            case Target::Track:
            case Target::AllTracks:
                doc.AddTrackpoint(row[kColLat], row[kColLon], row[kColAlt], row[kColSerial],
                                  {row[kColName], row[kColSymbol], row[kColComment], row[kColDescription], {}});
                break;
            }
        }
        if (n % kYieldEvery == 0 && status) status(std::to_string(n) + what);
        // Escape does not stop the writing: a half-written list would lose
        // the rest of its points. Undo takes the whole OK back instead.
        op.step(n, total);
    }
    if (!replaced.empty()) {
        w.pointsAfter = childrenOf(doc, doc.currentSegment);
        w.relabels = relabelByPlace(doc, w.pointsAfter);
        if (doc.currentCountNode != kNoNode)
            doc.setText(doc.currentCountNode, "number = " + std::to_string(w.pointsAfter.size()));
        if (flat) w.pointsAfter.clear();  // the flat undo needs no order of its own
    }
    if (w.countLine != kNoNode) w.countAfter = doc.getText(w.countLine);
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
        // Points that went over return to their segments, in their order.
        for (const auto& [segment, points] : w.segmentPoints)
            for (NodeId p : points) bringPoint(doc, p, segment);
        for (const auto& r : w.relabels) doc.setTrackPointNumber(r.node, r.before);
        doc.setText(w.node, w.textBefore);
        if (w.countLine != kNoNode) doc.setText(w.countLine, w.countBefore);
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
        if (!w.pointsAfter.empty()) {
            NodeId segment = doc.parent(w.pointsAfter.front());
            for (NodeId c = doc.firstChild(w.node); c != kNoNode; c = doc.nextSibling(c))
                if (doc.kind(c) == kSegmentKind) segment = c;
            for (NodeId p : w.pointsAfter) bringPoint(doc, p, segment);
        }
        for (const auto& r : w.relabels) doc.setTrackPointNumber(r.node, r.after);
        doc.setText(w.node, w.textAfter);
        if (w.countLine != kNoNode) doc.setText(w.countLine, w.countAfter);
    }
    DropStaleInsertion(doc);
    doc.documentModified = true;
    doc.endBulk();
}

}  // namespace core
