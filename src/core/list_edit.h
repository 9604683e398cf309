#pragma once
// Editing the rows of the list views LV1 and LV2: numbering, sorting,
// deleting, pasting row text, the track analysis commands, and writing an
// edited list back into the tree. Every change that an undo must take back
// returns what it needs to do so.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/document.h"
#include "core/operation.h"
#include "core/point_list.h"

namespace core {

// Row order after a sort: order[i] is the old index of the row now at i.
using RowOrder = std::vector<std::uint32_t>;

// Captions 1, 2, 3 ... in row order.
void Renumber(ListRows& view);
// By the serial date-time text, as text, ascending; rows without a time
// first; equal times keep their order. Renumbers.
RowOrder SortRowsByTime(ListRows& view);
// By one column's text, ascending and stable; column 0 (the number) sorts
// nothing and returns an empty order. Renumbers.
RowOrder SortRowsByColumn(ListRows& view, int column);
// Puts rows back in the order they had before a sort.
void UndoRowOrder(ListRows& view, const RowOrder& order);
void ApplyRowOrder(ListRows& view, const RowOrder& order);
// Records 1..count by time, ascending; equal times keep their order.
void SortPointListByTime(PointList& points);

// Rows taken out of a list, with the indexes they had; they can go back
// into the same list until it is cleared.
struct RemovedRows {
    std::vector<std::size_t> indices;  // ascending
    std::vector<ListRows::Entry> entries;
    std::uint64_t epoch = 0;
};
// Deletes the given rows (any order, duplicates ignored) and renumbers.
RemovedRows DeleteRows(ListRows& view, std::vector<std::size_t> selected);

// A change that overwrote rows in place and added rows at the end, as the
// rows it replaced and the rows it wrote; worked out from a copy taken before.
struct RowChange {
    std::vector<std::pair<std::size_t, ListRow>> replaced, written;
    std::size_t sizeBefore = 0;
    std::vector<ListRow> added;
    bool empty() const { return replaced.empty() && added.empty(); }
};
RowChange DiffRows(const std::vector<ListRow>& before, const std::vector<ListRow>& after);
void UndoRowChange(ListRows& view, const RowChange& change);
// A hash of every field of every row: whether a list is still as a step left it.
std::size_t RowsFingerprint(const ListRows& view);
void RedoRowChange(ListRows& view, const RowChange& change);
// Puts removed rows back where they were; renumbers.
void RestoreRows(ListRows& view, const RemovedRows& removed);

// The row text of the given rows in row order (all rows when `all`).
std::string RowsText(const ListRows& view, const std::vector<std::size_t>& selected);
// Field n (1-based) of a row text line. Fields end at the next ">,<", the
// last one at the line's final ">", so a value holding ">" reads back whole.
std::string RowField(std::string_view line, int n);
// Whether a clipboard text is row text worth pasting: not GPX, and with at
// least one field separator.
bool IsRowText(std::string_view text);
// The rows of a row text; lines that are blank or do not start with "<" are skipped.
std::vector<ListRow> ParseRowText(std::string_view text);
// Inserts rows at `at` (clamped to the end) and renumbers; returns where they went.
std::size_t InsertRows(ListRows& view, std::size_t at, std::vector<ListRow> rows);
// Removes `count` rows from `at` (an undone paste); renumbers.
void EraseRows(ListRows& view, std::size_t at, std::size_t count);

// Reverses the rows and renumbers; values stay whole.
void ReverseRows(ListRows& view);
// Length of the listed path in km; empty with fewer than two rows.
std::optional<long double> PathLengthKm(const ListRows& view);
// Moves the row next to its nearest other row (closer than 1000 km), before
// it, or to the top when none is that close. Returns the row's new index.
std::size_t MoveToClosest(ListRows& view, std::size_t selected);
// Moves one row from one index to another; renumbers.
void MoveRow(ListRows& view, std::size_t from, std::size_t to);
// Every row's name becomes its time without ":" padded to six digits;
// returns the old names.
std::vector<std::string> UseTimeAsName(ListRows& view);
void RestoreNames(ListRows& view, const std::vector<std::string>& names);

// What an OK wrote: the children the list's node had before (kept aside,
// not removed) and its text, so an undo can put them back.
struct ListWriteBack {
    NodeId node = kNoNode;       // the node whose children were replaced
    NodeId parent = kNoNode;     // for a new track: where it was added
    NodeId createdTrack = kNoNode;  // OK of "All Tracks" made this track
    std::vector<NodeId> before;  // unlinked children
    std::vector<NodeId> after;   // children written (unlinked while undone)
    std::string textBefore, textAfter;
    // The track's count line when it stands outside what was replaced.
    NodeId countLine = kNoNode;
    std::string countBefore, countAfter;
    bool wrote = false;
    // Track points listed from what the OK replaced go over node and all
    // instead of as copies of their rows: the segments they came from with
    // their points in order, the written segment's points in order, and
    // the labels that changed with their place (node, before, after).
    std::vector<std::pair<NodeId, std::vector<NodeId>>> segmentPoints;
    std::vector<NodeId> pointsAfter;
    struct Relabel {
        NodeId node;
        std::uint32_t before, after;
    };
    std::vector<Relabel> relabels;
};
// Writes the rows back into the tree in place of what `listNode` held
// (btOKClick). Marks the document changed. `status` gets "n: trackpoint"
// and the like every hundred points.
ListWriteBack WriteListBack(Document& doc, NodeId listNode, const std::string& name, const ListRows& view,
                            Operation& op, const std::function<void(const std::string&)>& status);
// Takes an OK back, and makes it again.
void UndoWriteBack(Document& doc, ListWriteBack& w);
void RedoWriteBack(Document& doc, ListWriteBack& w);

// Forgets insertion places that no longer hang in the tree.
void DropStaleInsertion(Document& doc);

}  // namespace core
