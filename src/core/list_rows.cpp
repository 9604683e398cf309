#include <algorithm>

#include "core/fn.h"
#include "core/point_list.h"

namespace core {

namespace {

void putLength(std::string& out, size_t n) {
    do {
        out += static_cast<char>((n & 0x7F) | (n >= 0x80 ? 0x80 : 0));
        n >>= 7;
    } while (n != 0);
}

size_t takeLength(std::string_view& in) {
    size_t n = 0;
    for (int shift = 0; !in.empty() && shift < 64; shift += 7) {
        const auto byte = static_cast<unsigned char>(in.front());
        in.remove_prefix(1);
        n |= static_cast<size_t>(byte & 0x7F) << shift;
        if (!(byte & 0x80)) break;
    }
    return std::min(n, in.size());
}

std::string pack(const ListRow& row) {
    std::string out;
    size_t bytes = 0;
    for (const std::string& f : row) bytes += f.size() + 1;
    out.reserve(bytes);
    for (const std::string& f : row) {
        putLength(out, f.size());
        out += f;
    }
    return out;
}

// Field `column` of a packed row, and where the fields after it begin.
std::string_view field(std::string_view packed, int column, std::string_view* rest = nullptr) {
    std::string_view f;
    for (int c = 0; c <= column; ++c) {
        const size_t n = takeLength(packed);
        f = packed.substr(0, n);
        packed.remove_prefix(n);
    }
    if (rest) *rest = packed;
    return f;
}

ListRow unpack(std::string_view packed) {
    ListRow row;
    for (std::string& f : row) {
        const size_t n = takeLength(packed);
        f.assign(packed.substr(0, n));
        packed.remove_prefix(n);
    }
    return row;
}

}  // namespace

ListRow ListRows::row(size_t i) const {
    if (i >= entries_.size()) return {};
    if (own(i)) return unpack(ownRow(i));
    if (!source_) return {};
    return source_->row(entries_[i], i + 1);
}

std::string ListRows::cell(size_t i, int column) const {
    if (i >= entries_.size() || column < 0 || column >= kColumnCount) return {};
    if (own(i)) return std::string(field(ownRow(i), column));
    if (column == kColNr) return std::to_string(i + 1);
    if (!source_) return {};
    if (column == kColSerial) return source_->serial(entries_[i]);
    return source_->row(entries_[i], i + 1)[static_cast<size_t>(column)];
}

RowValues ListRows::values(size_t i) const {
    if (i >= entries_.size()) return {};
    if (!own(i)) return source_ ? source_->values(entries_[i]) : RowValues{};
    const std::string& r = ownRow(i);
    return {StrToFloatAny(field(r, kColLat)), StrToFloatAny(field(r, kColLon)), StrToFloatAny(field(r, kColAlt)),
            StrToFloatAny(field(r, kColSerial))};
}

NodeId ListRows::pointNode(size_t i) const { return i < entries_.size() && !own(i) ? entries_[i] : kNoNode; }

std::vector<ListRow> ListRows::snapshot() const {
    std::vector<ListRow> all;
    all.reserve(entries_.size());
    for (size_t i = 0; i < entries_.size(); ++i) all.push_back(row(i));
    return all;
}

void ListRows::clear() {
    entries_.clear();
    entries_.shrink_to_fit();
    own_.clear();
    source_.reset();
    ++epoch_;
    notify();
}

void ListRows::endUpdate() {
    if (updating_ > 0 && --updating_ == 0) changed();
}

ListRows::Entry ListRows::store(ListRow row) {
    own_.push_back(pack(row));
    return static_cast<Entry>(own_.size() - 1) | kOwnRow;
}

void ListRows::append(ListRow row) {
    entries_.push_back(store(std::move(row)));
    notify();
}

void ListRows::assign(std::vector<ListRow> rows) {
    entries_.clear();
    own_.clear();
    ++epoch_;
    for (ListRow& r : rows) entries_.push_back(store(std::move(r)));
    notify();
}

void ListRows::usePointSource(std::shared_ptr<const PointRowSource> source) {
    // Rows of points read another way (another kind of list, or a document
    // since emptied) keep what they showed as rows of their own.
    if (source_ && source && (source_->type() != source->type() || source_->generation() != source->generation()))
        for (size_t i = 0; i < entries_.size(); ++i)
            if (!own(i)) entries_[i] = store(source_->row(entries_[i], i + 1));
    source_ = std::move(source);
}

void ListRows::appendPoint(NodeId point) {
    // An id this large cannot be told from a row of its own; never seen in practice.
    if (point >= kOwnRow) return append(source_ ? source_->row(point, entries_.size() + 1) : ListRow{});
    entries_.push_back(point);
    notify();
}

void ListRows::setRow(size_t i, ListRow row) {
    if (i >= entries_.size()) return;
    if (own(i))
        ownRow(i) = pack(row);
    else
        entries_[i] = store(std::move(row));
}

void ListRows::setCell(size_t i, int column, std::string value) {
    if (i >= entries_.size() || column < 0 || column >= kColumnCount) return;
    ListRow changed = row(i);
    changed[static_cast<size_t>(column)] = std::move(value);
    setRow(i, std::move(changed));
}

void ListRows::reorder(const std::vector<std::uint32_t>& order) {
    if (order.size() != entries_.size()) return;
    std::vector<Entry> moved(entries_.size());
    for (size_t i = 0; i < order.size(); ++i) moved[i] = entries_[order[i]];
    entries_ = std::move(moved);
}

void ListRows::reverse() { std::reverse(entries_.begin(), entries_.end()); }

void ListRows::renumber() {
    if (own_.empty()) return;
    for (size_t i = 0; i < entries_.size(); ++i)
        if (own(i)) {
            // The number leads the row: only it is written anew.
            std::string_view rest;
            (void)field(ownRow(i), kColNr, &rest);
            const std::string number = std::to_string(i + 1);
            std::string renumbered;
            putLength(renumbered, number.size());
            renumbered += number;
            renumbered += rest;
            ownRow(i) = std::move(renumbered);
        }
}

void ListRows::insert(size_t at, std::vector<ListRow> rows) {
    at = std::min(at, entries_.size());
    std::vector<Entry> added;
    added.reserve(rows.size());
    for (ListRow& r : rows) added.push_back(store(std::move(r)));
    entries_.insert(entries_.begin() + static_cast<std::ptrdiff_t>(at), added.begin(), added.end());
}

void ListRows::erase(size_t at, size_t count) {
    if (at >= entries_.size()) return;
    count = std::min(count, entries_.size() - at);
    auto first = entries_.begin() + static_cast<std::ptrdiff_t>(at);
    entries_.erase(first, first + static_cast<std::ptrdiff_t>(count));
}

void ListRows::truncate(size_t count) {
    if (count < entries_.size()) entries_.resize(count);
}

std::vector<ListRows::Entry> ListRows::take(const std::vector<size_t>& indices) {
    std::vector<Entry> taken;
    taken.reserve(indices.size());
    size_t next = 0, to = indices.empty() ? entries_.size() : indices.front();
    for (size_t i = to; i < entries_.size(); ++i) {
        if (next < indices.size() && indices[next] == i) {
            taken.push_back(entries_[i]);
            ++next;
        } else {
            entries_[to++] = entries_[i];
        }
    }
    entries_.resize(to);
    return taken;
}

void ListRows::putBack(const std::vector<size_t>& indices, const std::vector<Entry>& entries) {
    std::vector<Entry> merged;
    merged.reserve(entries_.size() + entries.size());
    size_t kept = 0, back = 0;
    while (kept < entries_.size() || back < entries.size()) {
        if (back < entries.size() && (indices[back] == merged.size() || kept == entries_.size()))
            merged.push_back(entries[back++]);  // beyond the end: kept all the same
        else
            merged.push_back(entries_[kept++]);
    }
    entries_ = std::move(merged);
}

}  // namespace core
