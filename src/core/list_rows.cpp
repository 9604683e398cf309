#include <algorithm>

#include "core/fn.h"
#include "core/point_list.h"

namespace core {

ListRow ListRows::row(size_t i) const {
    if (i >= entries_.size()) return {};
    if (own(i)) return ownRow(i);
    if (!source_) return {};
    return source_->row(entries_[i], i + 1);
}

std::string ListRows::cell(size_t i, int column) const {
    if (i >= entries_.size() || column < 0 || column >= kColumnCount) return {};
    if (own(i)) return ownRow(i)[static_cast<size_t>(column)];
    if (column == kColNr) return std::to_string(i + 1);
    if (!source_) return {};
    if (column == kColSerial) return source_->serial(entries_[i]);
    return source_->row(entries_[i], i + 1)[static_cast<size_t>(column)];
}

RowValues ListRows::values(size_t i) const {
    if (i >= entries_.size()) return {};
    if (!own(i)) return source_ ? source_->values(entries_[i]) : RowValues{};
    const ListRow& r = ownRow(i);
    return {StrToFloatAny(r[kColLat]), StrToFloatAny(r[kColLon]), StrToFloatAny(r[kColAlt]),
            StrToFloatAny(r[kColSerial])};
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
    own_.push_back(std::move(row));
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
        ownRow(i) = std::move(row);
    else
        entries_[i] = store(std::move(row));
}

void ListRows::setCell(size_t i, int column, std::string value) {
    if (i >= entries_.size() || column < 0 || column >= kColumnCount) return;
    if (!own(i)) entries_[i] = store(row(i));
    ownRow(i)[static_cast<size_t>(column)] = std::move(value);
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
        if (own(i)) ownRow(i)[kColNr] = std::to_string(i + 1);
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
