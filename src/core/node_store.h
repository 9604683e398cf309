#pragma once
// Compact storage for the document tree. A node is 22 bytes: four links, a
// value word and a tag. Siblings form a list that is doubly linked and
// circular backwards (a first child's previous link names the last child),
// so appending, inserting, moving and removing cost the same whatever the
// number of siblings. Attribute lines ("lat = 51.5") are kept as a key and
// a value, track point labels ("trkpt (12)") and counts as plain integers,
// and short number and time texts packed into a shared byte arena, so a
// million-point track fits in about 130 bytes a point. Texts always read
// back exactly as they were stored.

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <unordered_map>
#include <vector>

#include "core/fn.h"

namespace core {

using NodeId = std::uint32_t;
constexpr NodeId kNoNode = 0xFFFFFFFFu;
constexpr NodeId kRootNode = 0;  // the invisible root above the four containers

// Memory for large, long-lived blocks: 2 MiB aligned and offered to the
// kernel as huge pages, so filling millions of nodes costs few page faults.
struct BigBlockFree {
    void operator()(void* p) const;
};
void* AllocateBigBlock(size_t bytes);
// Plain heap memory that BigBlockFree releases as well.
void* AllocateSmallBlock(size_t bytes);

constexpr size_t kBigBlockBytes = size_t{1} << 21;

// Fixed-size chunks of one big block each, so growing never copies what is
// already stored. Only the first chunk starts small and doubles until it is
// full size, so a document of a few points costs a few kilobytes.
template <typename T>
class ChunkedArray {
public:
    static constexpr size_t kChunk = kBigBlockBytes / sizeof(T);
    static constexpr size_t kFirstChunk = 64;
    T& operator[](size_t i) { return chunks_[i / kChunk][i % kChunk]; }
    const T& operator[](size_t i) const { return chunks_[i / kChunk][i % kChunk]; }
    size_t size() const { return size_; }
    size_t push_back(const T& value) {
        if (size_ == capacity_) grow();
        (*this)[size_] = value;
        return size_++;
    }
    void clear() {
        chunks_.clear();
        size_ = capacity_ = 0;
    }

private:
    static_assert(std::is_trivial_v<T>, "chunks hold plain records");
    void grow() {
        if (capacity_ == 0 || capacity_ >= kChunk) {
            bool first = capacity_ == 0;
            size_t n = first ? kFirstChunk : kChunk;
            chunks_.emplace_back(static_cast<T*>(first ? AllocateSmallBlock(n * sizeof(T)) : AllocateBigBlock(n * sizeof(T))));
            capacity_ += n;
            return;
        }
        size_t n = capacity_ * 2 >= kChunk ? kChunk : capacity_ * 2;
        T* bigger = static_cast<T*>(n == kChunk ? AllocateBigBlock(n * sizeof(T)) : AllocateSmallBlock(n * sizeof(T)));
        std::memcpy(bigger, chunks_[0].get(), size_ * sizeof(T));
        chunks_[0].reset(bigger);
        capacity_ = n;
    }
    std::vector<std::unique_ptr<T[], BigBlockFree>> chunks_;
    size_t size_ = 0, capacity_ = 0;
};

// Keys kept apart from their values; the text is key prefix + value.
enum class AttrKey : std::uint8_t {
    None, Lat, Lon, Ele, Time, Name, Sym, Cmt, Desc, Number, TrkptLabel, MinLat, MaxLat, MinLon, MaxLon, Type
};

class NodeStore {
public:
    NodeStore();

    void clear();  // leaves only the root
    NodeId append(NodeId parent, std::string_view text, int kind);
    // Inserts before `before` (a child of parent), or appends when it is kNoNode.
    NodeId insert(NodeId parent, NodeId before, std::string_view text, int kind);
    void setText(NodeId node, std::string_view text);
    // The same as append / setText of prefix + value, without parsing the text.
    NodeId appendKeyed(NodeId parent, AttrKey key, std::string_view value, int kind);
    void setKeyed(NodeId node, AttrKey key, std::string_view value);
    // Unlinks a node with its descendants; their ids stay dead for good.
    // Costs what is removed, not what stays.
    void remove(NodeId node);
    void removeChildren(NodeId node);
    // Takes a node with its descendants out of the tree but keeps them, so
    // an undo can link it back; relink puts it under parent before `before`.
    void unlink(NodeId node);
    void relink(NodeId node, NodeId parent, NodeId before);
    // Moves a node with its descendants under newParent, before `before`
    // (kNoNode: at the end). False when that would put a node inside itself.
    bool move(NodeId node, NodeId newParent, NodeId before);
    // Whether `node` is `ancestor` or lies below it.
    bool isWithin(NodeId node, NodeId ancestor) const;

    std::string text(NodeId node) const;
    // The key of an attribute line and its value, without building the text.
    AttrKey key(NodeId node) const;
    std::string value(NodeId node) const;  // the whole text for AttrKey::None
    // The value into a caller's buffer, for loops over millions of points;
    // false when it does not fit.
    bool valueInto(NodeId node, char* buffer, size_t capacity, size_t& length) const;
    // Fast reads for the same loops, without the text: a number stored as a
    // plain decimal (ParseNumber's value of its text) and a time stored in
    // its packed form. False when the value is stored otherwise: its text
    // then decides.
    bool numberInto(NodeId node, long double& value) const;
    // Whether the value is stored in one of the compact forms: then it is
    // made of digits and ".-:T+Z" only, which no file format escapes.
    bool holdsPlainValue(NodeId node) const;
    bool timeFieldsInto(NodeId node, XmlTimeFields& fields) const;
    static std::string_view keyName(AttrKey key);  // "lat", "time" ...
    int kind(NodeId node) const;
    bool alive(NodeId node) const;
    NodeId parent(NodeId node) const { return node < nodes_.size() ? nodes_[node].parent : kNoNode; }
    NodeId firstChild(NodeId node) const { return nodes_[node].firstChild; }
    NodeId lastChild(NodeId node) const {
        NodeId first = nodes_[node].firstChild;
        return first == kNoNode ? kNoNode : nodes_[first].prevSibling;
    }
    NodeId nextSibling(NodeId node) const { return nodes_[node].nextSibling; }
    NodeId previousSibling(NodeId node) const;
    std::uint32_t childCount(NodeId node) const;
    size_t nodeCount() const { return nodes_.size(); }
    // Grows with every change of the tree, so a result worked out from the
    // tree can tell whether it is still current.
    std::uint64_t revision() const { return revision_; }
    // Grows with every clear, after which node ids are handed out again:
    // ids kept from before name other nodes (or none).
    std::uint64_t generation() const { return generation_; }
    size_t arenaBytes() const { return arenaUsed_; }

private:
    struct Node {
        NodeId parent, firstChild, prevSibling, nextSibling;
        std::uint32_t value;
    };
    enum class Encoding : std::uint8_t { Raw, Packed, Inline, Time };

    std::uint32_t store(std::string_view bytes);
    const unsigned char* at(std::uint32_t offset) const;
    void encode(NodeId node, std::string_view text, int kind);
    void encodeValue(NodeId node, std::uint8_t key, std::string_view value, int kind);
    NodeId link(NodeId parent, NodeId before);
    void attach(NodeId node, NodeId parent, NodeId before);
    void detach(NodeId node);
    std::string decodeValue(std::uint32_t value, Encoding enc) const;
    void markDead(NodeId node);

    ChunkedArray<Node> nodes_;
    ChunkedArray<std::uint16_t> tags_;  // kind | key << 3 | encoding << 8
    std::vector<std::unique_ptr<unsigned char[], BigBlockFree>> arena_;
    std::uint32_t arenaPos_ = 0;  // position in the last chunk
    std::uint32_t arenaCap_ = 0;  // its size: the first chunk starts small
    size_t arenaUsed_ = 0;
    // Child counts asked for so far, kept current on append and remove.
    mutable std::unordered_map<NodeId, std::uint32_t> counts_;
    // Loading appends millions of nodes: only ids below countedBelow_ can
    // have a count, and the last count used (a segment's) is at hand.
    std::uint32_t* countOf(NodeId node) const;
    void forgetCount(NodeId node);
    mutable NodeId countedBelow_ = 0;
    mutable NodeId lastCounted_ = kNoNode;
    mutable std::uint32_t* lastCount_ = nullptr;
    std::uint64_t revision_ = 1;
    std::uint64_t generation_ = 0;
};

}  // namespace core
