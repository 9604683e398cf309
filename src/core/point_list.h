#pragma once
// The numeric point list that writers, plots, the simulation and Garmin
// transfers work on, the rows of the two list views, and the loaders that
// fill either from the document tree.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <ostream>
#include <string_view>
#include <string>
#include <vector>

#include "core/document.h"
#include "core/operation.h"
#include "core/signal.h"

namespace host {
class Clock;
class LocaleInfo;
}  // namespace host

namespace core {

// A record's text: most records (track points) have none, so an empty text
// costs one pointer.
class RecordText {
public:
    RecordText() = default;
    RecordText(const RecordText& o) { *this = o; }
    RecordText(RecordText&&) noexcept = default;
    // Copied for every point loaded: an empty text copies nothing.
    RecordText& operator=(const RecordText& o) {
        if (this != &o) text_ = o.text_ ? std::make_unique<std::string>(*o.text_) : nullptr;
        return *this;
    }
    RecordText& operator=(RecordText&&) noexcept = default;
    RecordText& operator=(std::string text) {
        if (text.empty())
            text_.reset();
        else
            text_ = std::make_unique<std::string>(std::move(text));
        return *this;
    }
    const std::string& str() const { return text_ ? *text_ : none(); }
    operator const std::string&() const { return str(); }
    operator std::string_view() const { return str(); }
    bool empty() const { return !text_; }
    friend bool operator==(const RecordText& a, std::string_view b) { return a.str() == b; }
    friend std::ostream& operator<<(std::ostream& out, const RecordText& t) { return out << t.str(); }

private:
    static const std::string& none() {
        static const std::string nothing;
        return nothing;
    }
    std::unique_ptr<std::string> text_;
};

struct PointRecord {
    long double lat = 0, lon = 0;  // degrees
    long double ele = 0;           // metres
    long double time = 0;          // serial number; 0 = none
    RecordText name, sym, cmt, desc;
};

// Records 1..count; index 0 is scratch space for sorting. The list grows as
// far as it must: nothing loaded is ever overwritten or moved.
class PointList {
public:
    static constexpr size_t kMaxText = 52;
    PointList();
    ~PointList();
    PointList(PointList&& other) noexcept;
    PointList& operator=(PointList&& other) noexcept;
    int count() const { return count_; }
    void reset() { count_ = 0; }
    PointRecord& append();
    void append(const PointRecord& record) { append() = record; }
    PointRecord& operator[](int index) { return at(static_cast<size_t>(index)); }
    const PointRecord& operator[](int index) const { return const_cast<PointList*>(this)->at(static_cast<size_t>(index)); }

private:
    // A short list lives in its first block; a long track fills blocks of
    // one huge page each, a few hundred page faults for a million points
    // instead of tens of thousands. Records are built as they are first
    // handed out, so memory no record reached is never touched.
    static constexpr size_t kFirstBlock = 256;
    static constexpr size_t kBlock = kBigBlockBytes / sizeof(PointRecord);
    PointRecord& at(size_t index) {
        if (index < kFirstBlock) return first_[index];
        index -= kFirstBlock;
        return blocks_[index / kBlock][index % kBlock];
    }

    int count_ = 0;
    size_t built_ = 0;  // records [0, built_) exist
    std::unique_ptr<PointRecord[]> first_;
    std::vector<std::unique_ptr<PointRecord[], BigBlockFree>> blocks_;
};

// Columns of LV1 and LV2: the caption ("Nr") then ten sub-items.
enum ListColumn : int {
    kColNr, kColLat, kColLon, kColAlt, kColSerial, kColDate, kColTime, kColName, kColSymbol, kColComment,
    kColDescription, kColumnCount
};

struct ListColumnInfo {
    const char* caption;
    int width;
};
extern const std::array<ListColumnInfo, kColumnCount> kListColumns;

using ListRow = std::array<std::string, kColumnCount>;

// What measuring a list needs of a row, as numbers; time 0 means none.
struct RowValues {
    long double lat = 0, lon = 0, ele = 0, time = 0;
};

class PointRowSource;

// The rows of LV1 or LV2. A row listed from the document is kept as its
// point node and formatted only when it is read, so a million-point list
// costs four bytes a row; a row that was edited, pasted or read from a file
// keeps its own texts. Sorting, reversing and deleting move row references,
// never texts.
class ListRows {
public:
    // A row's place in storage: a point node, or (high bit set) a row of its own.
    using Entry = std::uint32_t;
    Signal<> changed;

    size_t size() const { return entries_.size(); }
    bool empty() const { return entries_.empty(); }
    ListRow row(size_t i) const;
    std::string cell(size_t i, int column) const;
    RowValues values(size_t i) const;
    // The point node a row is read from; kNoNode for a row of its own.
    NodeId pointNode(size_t i) const;
    // Every row, for short lists and checks.
    std::vector<ListRow> snapshot() const;

    void clear();
    void beginUpdate() { ++updating_; }
    void endUpdate();
    void reserve(size_t rows) { entries_.reserve(rows); }
    void append(ListRow row);
    void assign(std::vector<ListRow> rows);
    // Rows read through `source` from now on (until clear).
    void usePointSource(std::shared_ptr<const PointRowSource> source);
    void appendPoint(NodeId point);
    void setRow(size_t i, ListRow row);
    void setCell(size_t i, int column, std::string value);

    // Row i becomes the old row order[i].
    void reorder(const std::vector<std::uint32_t>& order);
    void reverse();
    // The "Nr" of every row its own becomes its place; rows of points are
    // numbered by place when read.
    void renumber();
    void insert(size_t at, std::vector<ListRow> rows);
    void erase(size_t at, size_t count);
    void truncate(size_t count);
    // Takes out the rows at the given ascending, distinct indices and hands
    // back their entries, which stay valid for putBack until the next clear.
    std::vector<Entry> take(const std::vector<size_t>& indices);
    void putBack(const std::vector<size_t>& indices, const std::vector<Entry>& entries);
    // Grows with every clear: taken entries of an earlier epoch mean nothing.
    std::uint64_t epoch() const { return epoch_; }

private:
    static constexpr Entry kOwnRow = 0x80000000u;
    bool own(size_t i) const { return (entries_[i] & kOwnRow) != 0; }
    // A row of its own is kept packed, its eleven texts one after another,
    // each after its length: some 60 bytes for a track point's row instead
    // of eleven strings' 352, which counts when a million rows get names.
    std::string& ownRow(size_t i) { return own_[entries_[i] & ~kOwnRow]; }
    const std::string& ownRow(size_t i) const { return own_[entries_[i] & ~kOwnRow]; }
    Entry store(ListRow row);
    void notify() {
        if (updating_ == 0) changed();
    }

    std::vector<Entry> entries_;
    std::vector<std::string> own_;
    std::shared_ptr<const PointRowSource> source_;
    std::uint64_t epoch_ = 0;
    int updating_ = 0;
};

// The texts of one point node as the loaders read them.
struct PointTexts {
    std::string lat, lon, ele, name, sym, cmt, desc, type;
    std::string serial;     // a serial number as text, when it came as text
    bool hasTime = false;   // else the time as a number, when there is one
    long double time = 0;
};

// The serial number text of a point with the user's decimal separator; empty without a time.
std::string SerialText(const PointTexts& p, char decimalSeparator);
enum class PointType { Track, Route, Waypoint };

// One list row in the row format: numbers with the user's decimal separator
// and cut, date and time from the serial number; route texts cut to 32.
ListRow MakeListRow(const PointTexts& p, PointType type, size_t rowNumber, const host::LocaleInfo& locale);

// Reads points out of the tree. Three kinds of target: rows for the list
// views, records appended to a point list, or records handed one at a time
// to a function, for consumers that need one pass and no copy of them all.
class PointLoader {
public:
    struct Env {
        const host::Clock& clock;
        const host::LocaleInfo& locale;
        Operation* operation = nullptr;                    // progress and cancel; none: never stops
        std::function<void(const std::string&)> showName;  // the list page's name field Edit2
    };

    PointLoader(const Document& doc, const SymbolTable& symbols, Env env);

    using Sink = std::function<void(const PointRecord&)>;
    // Consumers that have no use for the times can skip reading them.
    void setReadTimes(bool readTimes) { readTimes_ = readTimes; }
    bool cancelled() const { return env_.operation && env_.operation->cancelled(); }

    // Each returns false when the operation was cancelled part-way.
    bool eachTrackPoint(NodeId track, const Sink& sink);
    bool eachSegmentPoint(NodeId segment, const Sink& sink);
    bool eachPointOfAllTracks(const Sink& sink);
    bool eachRoutePoint(NodeId route, const Sink& sink);
    bool eachWaypoint(const Sink& sink);

    // List view rows; the track's or route's name is returned and shown.
    std::string ShowTrack(ListRows& view, NodeId trackNode);
    void ShowAllTracks(ListRows& view);
    std::string ShowRoute(ListRows& view, NodeId routeNode);
    void ShowAllRoutes(ListRows& view);
    void ShowWaypoints(ListRows& view);

    // Records appended to a point list.
    std::string ShowTrack(PointList& points, NodeId trackNode);
    void ShowAllTracks(PointList& points);
    std::string ShowRoute(PointList& points, NodeId routeNode);
    void ShowAllRoutes(PointList& points);
    void ShowWaypoints(PointList& points);

    // The value lines of one point node, the time as a serial number.
    PointTexts readPoint(NodeId point) const;
    // The record of one point node, read straight from the store where it can be.
    PointRecord recordOf(NodeId point, PointType type) const;

private:
    // Each point node a walk meets, with its kind; the target reads what it needs.
    using Emit = std::function<void(NodeId, PointType)>;
    bool walkTrack(NodeId track, std::string* name, const Emit& emit);
    // The track points of a segment, with progress, the status line and Escape.
    bool eachTrackPointNode(NodeId segment, Operation& op, const std::function<void(NodeId)>& visit) const;
    // Track points as records without the texts list rows need: the walk
    // every bounds pass, plot and export makes over millions of points.
    bool walkTrackRecords(NodeId track, const Sink& sink);
    bool walkSegmentRecords(NodeId segment, Operation& op, PointRecord& r, const Sink& sink);
    // The record of a track point whose lines are all keyed, straight from
    // the store; false sends the point the general way (readPoint).
    bool readTrackRecord(NodeId point, PointRecord& r) const;
    bool walkRoute(NodeId route, std::string* name, const Emit& emit);
    bool walkWaypoints(const Emit& emit);
    Emit rowsInto(ListRows& view, PointType type) const;
    Emit recordsTo(const Sink& sink) const;
    static Sink appendTo(PointList& points);
    PointRecord toRecord(const PointTexts& p, PointType type) const;
    void setTime(PointTexts& p, std::string_view xml) const;

    const Document& doc_;
    const SymbolTable& symbols_;
    Env env_;
    bool readTimes_ = true;
};

// Reads the list row of a point node when a view asks for it. Rows of a
// document that was emptied since (closed, opened anew) read as empty.
class PointRowSource {
public:
    PointRowSource(const Document& doc, const SymbolTable& symbols, const host::Clock& clock,
                   const host::LocaleInfo& locale, PointType type);
    ListRow row(NodeId point, size_t number) const;
    // The sort key of the time column without the rest of the row.
    std::string serial(NodeId point) const;
    RowValues values(NodeId point) const;
    PointType type() const { return type_; }
    std::uint64_t generation() const { return generation_; }

private:
    bool readable(NodeId point) const;

    const Document& doc_;
    PointLoader loader_;
    const host::LocaleInfo& locale_;
    PointType type_;
    std::uint64_t generation_;
};

// The value line of a point node as its key and value: keyed lines without
// parsing, lines edited into other shapes split at their " = ".
struct PointLine {
    std::string key, value;
};
PointLine ReadPointLine(const Document& doc, NodeId line);

}  // namespace core
