#include "core/node_store.h"

#include <sys/mman.h>

#include <cstdlib>
#include <cstring>
#include <new>

#include "core/block_reserve.h"

namespace core {

namespace {

constexpr unsigned kArenaShift = 21;  // 2 MiB arena chunks
constexpr std::uint32_t kArenaChunk = 1u << kArenaShift;
constexpr std::uint32_t kFirstArenaChunk = 1u << 10;
constexpr std::uint16_t kDeadBit = 0x8000;

// Attribute keys kept apart from their values. Index = key number.
constexpr std::string_view kKeyPrefix[] = {
    "",        "lat = ",    "lon = ",    "ele = ",    "time = ",   "name = ", "sym = ", "cmt = ",
    "desc = ", "number = ", "trkpt (",   "minlat = ", "maxlat = ", "minlon = ", "maxlon = ",
    "type = "};
constexpr std::uint8_t kKeyCount = sizeof kKeyPrefix / sizeof kKeyPrefix[0];
constexpr std::uint8_t kTrkptLabel = 10;
static_assert(kKeyCount <= 16, "a key is four bits of the tag");

// The sixteen characters number and time texts are made of; one nibble each.
constexpr char kPackAlphabet[] = "0123456789.-:T+Z";

struct PackCodes {
    signed char code[256];
    constexpr PackCodes() : code() {
        for (int i = 0; i < 256; ++i) code[i] = -1;
        for (int i = 0; i < 16; ++i) code[static_cast<unsigned char>(kPackAlphabet[i])] = static_cast<signed char>(i);
    }
};
constexpr PackCodes kPackCodes;

// Each byte of a packed text as its two characters.
struct PackPairs {
    char pair[256][2];
    constexpr PackPairs() : pair() {
        for (int i = 0; i < 256; ++i) {
            pair[i][0] = kPackAlphabet[i >> 4];
            pair[i][1] = kPackAlphabet[i & 15];
        }
    }
};
constexpr PackPairs kPackPairs;

int packCode(char c) { return kPackCodes.code[static_cast<unsigned char>(c)]; }

bool canonicalUint(std::string_view s, std::uint32_t& value) {
    if (s.empty() || s.size() > 9 || (s.size() > 1 && s[0] == '0')) return false;
    value = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + static_cast<std::uint32_t>(c - '0');
    }
    return true;
}

int digits(std::string_view s, size_t pos, size_t n) {
    int v = 0;
    for (size_t i = pos; i < pos + n; ++i) {
        if (i >= s.size() || s[i] < '0' || s[i] > '9') return -1;
        v = v * 10 + (s[i] - '0');
    }
    return v;
}

// "2008-03-01T14:05:09.000Z" or "...+01:00" in 63 bits; none when the text
// has another shape or a field too large for its bits.
bool packTime(std::string_view s, std::uint64_t& bits) {
    if (s.size() != 24 && s.size() != 29) return false;
    if (s[4] != '-' || s[7] != '-' || s[10] != 'T' || s[13] != ':' || s[16] != ':' || s[19] != '.') return false;
    int year = digits(s, 0, 4), month = digits(s, 5, 2), day = digits(s, 8, 2), hour = digits(s, 11, 2),
        minute = digits(s, 14, 2), second = digits(s, 17, 2), ms = digits(s, 20, 3);
    int type, oh = 0, om = 0;
    if (s.size() == 24) {
        if (s[23] != 'Z') return false;
        type = 0;
    } else {
        if ((s[23] != '+' && s[23] != '-') || s[26] != ':') return false;
        type = s[23] == '+' ? 1 : 2;
        oh = digits(s, 24, 2);
        om = digits(s, 27, 2);
    }
    if (year < 0 || month < 0 || month > 15 || day < 0 || day > 31 || hour < 0 || hour > 31 || minute < 0 ||
        minute > 63 || second < 0 || second > 63 || ms < 0 || oh < 0 || oh > 31 || om < 0 || om > 63)
        return false;
    bits = std::uint64_t(year) | std::uint64_t(month) << 14 | std::uint64_t(day) << 18 | std::uint64_t(hour) << 23 |
           std::uint64_t(minute) << 28 | std::uint64_t(second) << 34 | std::uint64_t(ms) << 40 |
           std::uint64_t(type) << 50 | std::uint64_t(oh) << 52 | std::uint64_t(om) << 57;
    return true;
}

// A text of the sixteen characters as its length and a nibble each, into
// `packed` (at least 129 bytes); false, with nothing meaningful written,
// for a text too long or with another character.
bool pack(std::string_view value, char* packed, size_t& n) {
    if (value.size() > 255) return false;
    n = 0;
    packed[n++] = static_cast<char>(value.size());
    size_t i = 0;
    for (; i + 1 < value.size(); i += 2) {
        int hi = packCode(value[i]), lo = packCode(value[i + 1]);
        if ((hi | lo) < 0) return false;
        packed[n++] = static_cast<char>(hi << 4 | lo);
    }
    if (i < value.size()) {
        int hi = packCode(value[i]);
        if (hi < 0) return false;
        packed[n++] = static_cast<char>(hi << 4);
    }
    return true;
}

char* put(char* out, unsigned v, int width) {
    for (int i = width - 1; i >= 0; --i, v /= 10) out[i] = static_cast<char>('0' + v % 10);
    return out + width;
}

// The 24 or 29 characters of a packed time; returns how many.
size_t unpackTimeInto(std::uint64_t b, char* s) {
    auto f = [&](int shift, int width) { return static_cast<unsigned>((b >> shift) & ((1u << width) - 1)); };
    char* p = s;
    p = put(p, f(0, 14), 4);
    *p++ = '-';
    p = put(p, f(14, 4), 2);
    *p++ = '-';
    p = put(p, f(18, 5), 2);
    *p++ = 'T';
    p = put(p, f(23, 5), 2);
    *p++ = ':';
    p = put(p, f(28, 6), 2);
    *p++ = ':';
    p = put(p, f(34, 6), 2);
    *p++ = '.';
    p = put(p, f(40, 10), 3);
    unsigned type = f(50, 2);
    if (type == 0) {
        *p++ = 'Z';
    } else {
        *p++ = type == 1 ? '+' : '-';
        p = put(p, f(52, 5), 2);
        *p++ = ':';
        p = put(p, f(57, 6), 2);
    }
    return static_cast<size_t>(p - s);
}

std::string unpackTime(std::uint64_t b) {
    char s[32];
    return std::string(s, unpackTimeInto(b, s));
}

}  // namespace

void BigBlockFree::operator()(void* p) const { std::free(p); }

void* AllocateBigBlock(size_t bytes) {
    constexpr size_t kHugePage = size_t{1} << 21;
    size_t rounded = (bytes + kHugePage - 1) / kHugePage * kHugePage;
    if (void* touched = TakeTouchedBlock(rounded)) return touched;
    void* p = std::aligned_alloc(kHugePage, rounded);
    if (!p) throw std::bad_alloc();
    ::madvise(p, rounded, MADV_HUGEPAGE);
    return p;
}

void* AllocateSmallBlock(size_t bytes) {
    void* p = std::malloc(bytes);
    if (!p) throw std::bad_alloc();
    return p;
}

NodeStore::NodeStore() { clear(); }

void NodeStore::clear() {
    ++revision_;
    ++generation_;
    nodes_.clear();
    tags_.clear();
    arena_.clear();
    arenaPos_ = arenaCap_ = 0;
    arenaUsed_ = 0;
    counts_.clear();
    countedBelow_ = 0;
    lastCounted_ = kNoNode;
    lastCount_ = nullptr;
    nodes_.push_back({kNoNode, kNoNode, kNoNode, kNoNode, 0});
    tags_.push_back(0);
}

std::uint32_t NodeStore::store(std::string_view bytes) {
    arenaUsed_ += bytes.size();
    if (bytes.size() > kArenaChunk / 4) {
        // A long text gets a chunk of its own, so chunks stay small.
        arena_.emplace_back(static_cast<unsigned char*>(AllocateBigBlock(bytes.size())));
        std::memcpy(arena_.back().get(), bytes.data(), bytes.size());
        arenaPos_ = arenaCap_ = kArenaChunk;  // the next small text starts a fresh chunk
        return static_cast<std::uint32_t>(arena_.size() - 1) << kArenaShift;
    }
    if (arena_.empty()) {
        // A small document stays small: the first chunk doubles as it fills.
        arenaCap_ = kFirstArenaChunk;
        arena_.emplace_back(static_cast<unsigned char*>(AllocateSmallBlock(arenaCap_)));
    }
    size_t needed = arenaPos_ + bytes.size();
    if (needed > arenaCap_ && arenaCap_ < kArenaChunk) {
        std::uint32_t cap = arenaCap_;
        while (cap < needed) cap *= 2;  // stays within a chunk: a text here is at most a quarter of one
        auto* bigger = static_cast<unsigned char*>(cap == kArenaChunk ? AllocateBigBlock(cap) : AllocateSmallBlock(cap));
        std::memcpy(bigger, arena_.back().get(), arenaPos_);
        arena_.back().reset(bigger);
        arenaCap_ = cap;
    } else if (needed > arenaCap_) {
        arena_.emplace_back(static_cast<unsigned char*>(AllocateBigBlock(kArenaChunk)));
        arenaPos_ = 0;
        arenaCap_ = kArenaChunk;
    }
    std::uint32_t offset = static_cast<std::uint32_t>(arena_.size() - 1) << kArenaShift | arenaPos_;
    std::memcpy(arena_.back().get() + arenaPos_, bytes.data(), bytes.size());
    arenaPos_ += static_cast<std::uint32_t>(bytes.size());
    return offset;
}

const unsigned char* NodeStore::at(std::uint32_t offset) const {
    return arena_[offset >> kArenaShift].get() + (offset & (kArenaChunk - 1));
}

void NodeStore::encode(NodeId node, std::string_view text, int kind) {
    std::uint8_t key = 0;
    std::string_view value = text;
    for (std::uint8_t k = 1; k < kKeyCount; ++k) {
        if (text.substr(0, kKeyPrefix[k].size()) == kKeyPrefix[k]) {
            std::string_view rest = text.substr(kKeyPrefix[k].size());
            if (k == kTrkptLabel) {
                if (rest.empty() || rest.back() != ')') continue;
                rest.remove_suffix(1);
            }
            key = k;
            value = rest;
            break;
        }
    }
    std::uint32_t label;
    // "trkpt (x)" with a label that is no plain number stays whole text.
    if (key == kTrkptLabel && !canonicalUint(value, label)) {
        key = 0;
        value = text;
    }
    encodeValue(node, key, value, kind);
}

void NodeStore::encodeValue(NodeId node, std::uint8_t key, std::string_view value, int kind) {
    ++revision_;
    Encoding enc = Encoding::Raw;
    std::uint32_t word = 0;
    std::uint64_t timeBits = 0;
    if (key != 0 && canonicalUint(value, word)) enc = Encoding::Inline;
    if (enc != Encoding::Inline) {
        if (key != 0 && packTime(value, timeBits)) {
            enc = Encoding::Time;
            unsigned char buf[8];
            std::memcpy(buf, &timeBits, 8);
            word = store({reinterpret_cast<char*>(buf), 8});
        } else {
            char packed[1 + 128];
            size_t n = 0;
            if (key != 0 && pack(value, packed, n)) {
                enc = Encoding::Packed;
                word = store({packed, n});
            } else {
                std::string bytes;
                // Length as a base-128 varint, then the bytes.
                size_t n = value.size();
                do {
                    bytes.push_back(static_cast<char>((n & 0x7F) | (n > 0x7F ? 0x80 : 0)));
                    n >>= 7;
                } while (n);
                bytes.append(value);
                word = store(bytes);
            }
        }
    }
    nodes_[node].value = word;
    tags_[node] = static_cast<std::uint16_t>((kind & 7) | key << 3 | static_cast<int>(enc) << 8);
}

std::string NodeStore::decodeValue(std::uint32_t value, Encoding enc) const {
    switch (enc) {
        case Encoding::Inline: return std::to_string(value);
        case Encoding::Time: {
            std::uint64_t bits;
            std::memcpy(&bits, at(value), 8);
            return unpackTime(bits);
        }
        case Encoding::Packed: {
            const unsigned char* p = at(value);
            size_t n = p[0];
            std::string s(n, ' ');
            for (size_t i = 0; i < n; ++i) s[i] = kPackAlphabet[i % 2 == 0 ? p[1 + i / 2] >> 4 : p[1 + i / 2] & 15];
            return s;
        }
        case Encoding::Raw: {
            const unsigned char* p = at(value);
            size_t n = 0;
            int shift = 0;
            while (*p & 0x80) {
                n |= size_t(*p++ & 0x7F) << shift;
                shift += 7;
            }
            n |= size_t(*p++) << shift;
            return std::string(reinterpret_cast<const char*>(p), n);
        }
    }
    return {};
}

NodeId NodeStore::append(NodeId parent, std::string_view text, int kind) {
    NodeId id = link(parent, kNoNode);
    encode(id, text, kind);
    return id;
}

NodeId NodeStore::insert(NodeId parent, NodeId before, std::string_view text, int kind) {
    if (before != kNoNode && (!alive(before) || nodes_[before].parent != parent)) before = kNoNode;
    NodeId id = link(parent, before);
    encode(id, text, kind);
    return id;
}

NodeId NodeStore::appendKeyed(NodeId parent, AttrKey key, std::string_view value, int kind) {
    NodeId id = link(parent, kNoNode);
    encodeValue(id, static_cast<std::uint8_t>(key), value, kind);
    return id;
}

void NodeStore::setKeyed(NodeId node, AttrKey key, std::string_view value) {
    encodeValue(node, static_cast<std::uint8_t>(key), value, kind(node));
}

NodeId NodeStore::link(NodeId parent, NodeId before) {
    NodeId id = static_cast<NodeId>(nodes_.push_back({parent, kNoNode, kNoNode, kNoNode, 0}));
    tags_.push_back(0);
    attach(id, parent, before);
    return id;
}

void NodeStore::attach(NodeId node, NodeId parent, NodeId before) {
    Node& p = nodes_[parent];
    Node& n = nodes_[node];
    n.parent = parent;
    if (p.firstChild == kNoNode) {
        p.firstChild = node;
        n.prevSibling = node;
        n.nextSibling = kNoNode;
    } else if (before == kNoNode) {
        NodeId last = nodes_[p.firstChild].prevSibling;
        nodes_[last].nextSibling = node;
        n.prevSibling = last;
        n.nextSibling = kNoNode;
        nodes_[p.firstChild].prevSibling = node;
    } else {
        NodeId prev = nodes_[before].prevSibling;
        n.nextSibling = before;
        n.prevSibling = prev;
        nodes_[before].prevSibling = node;
        if (p.firstChild == before)
            p.firstChild = node;
        else
            nodes_[prev].nextSibling = node;
    }
    if (std::uint32_t* count = countOf(parent)) ++*count;
}

void NodeStore::detach(NodeId node) {
    NodeId parent = nodes_[node].parent;
    Node& p = nodes_[parent];
    Node& n = nodes_[node];
    NodeId next = n.nextSibling, prev = n.prevSibling;
    if (p.firstChild == node) {
        p.firstChild = next;
        if (next != kNoNode) nodes_[next].prevSibling = prev;  // prev is the last child
    } else {
        nodes_[prev].nextSibling = next;
        if (next != kNoNode)
            nodes_[next].prevSibling = prev;
        else
            nodes_[p.firstChild].prevSibling = prev;  // node was the last child
    }
    n.nextSibling = kNoNode;
    n.prevSibling = kNoNode;
    if (std::uint32_t* count = countOf(parent)) --*count;
}

void NodeStore::setText(NodeId node, std::string_view text) { encode(node, text, kind(node)); }

std::string NodeStore::text(NodeId node) const {
    if (!alive(node)) return {};
    std::uint16_t tag = tags_[node];
    unsigned key = tag >> 3 & 15;
    std::string value = decodeValue(nodes_[node].value, static_cast<Encoding>(tag >> 8 & 3));
    if (key == 0) return value;
    std::string s(kKeyPrefix[key]);
    s += value;
    if (key == kTrkptLabel) s += ')';
    return s;
}

AttrKey NodeStore::key(NodeId node) const {
    return alive(node) ? static_cast<AttrKey>(tags_[node] >> 3 & 15) : AttrKey::None;
}

std::string NodeStore::value(NodeId node) const {
    if (!alive(node)) return {};
    return decodeValue(nodes_[node].value, static_cast<Encoding>(tags_[node] >> 8 & 3));
}

bool NodeStore::valueInto(NodeId node, char* buffer, size_t capacity, size_t& length) const {
    if (!alive(node)) return false;
    auto enc = static_cast<Encoding>(tags_[node] >> 8 & 3);
    std::uint32_t v = nodes_[node].value;
    if (enc == Encoding::Time) {
        std::uint64_t bits;
        std::memcpy(&bits, at(v), 8);
        char t[32];
        length = unpackTimeInto(bits, t);
        if (length > capacity) return false;
        std::memcpy(buffer, t, length);
        return true;
    }
    if (enc == Encoding::Packed) {
        const unsigned char* p = at(v);
        length = p[0];
        if (length > capacity) return false;
        // Two characters a byte, the odd last one alone.
        for (size_t i = 0; i + 1 < length; i += 2) std::memcpy(buffer + i, kPackPairs.pair[p[1 + i / 2]], 2);
        if (length % 2 == 1) buffer[length - 1] = kPackAlphabet[p[1 + length / 2] >> 4];
        return true;
    }
    std::string value = decodeValue(v, enc);
    if (value.size() > capacity) return false;
    std::memcpy(buffer, value.data(), value.size());
    length = value.size();
    return true;
}

bool NodeStore::numberInto(NodeId node, long double& value) const {
    if (!alive(node)) return false;
    auto enc = static_cast<Encoding>(tags_[node] >> 8 & 3);
    std::uint32_t v = nodes_[node].value;
    if (enc == Encoding::Inline) {
        value = static_cast<long double>(v);
        return true;
    }
    if (enc != Encoding::Packed) return false;
    // The plain "[-]ddd[.ddd]" ParseNumber reads itself; anything else
    // (more than 19 digits, a lone sign) goes the way of the text.
    constexpr int kPoint = 10, kMinus = 11, kPlus = 14;
    const unsigned char* p = at(v);
    size_t length = p[0];
    std::uint64_t mantissa = 0;
    int digits = 0, decimals = -1;
    bool negative = false;
    size_t i = 0;
    // Two digits a byte where a byte holds two; the rest one nibble at a time.
    auto twoDigits = [&](size_t at) {
        unsigned byte = p[1 + at / 2];
        return (byte >> 4) < 10 && (byte & 15) < 10 ? static_cast<int>((byte >> 4) * 10 + (byte & 15)) : -1;
    };
    while (i < length) {
        if (i % 2 == 0 && i + 1 < length) {
            if (int pair = twoDigits(i); pair >= 0) {
                if ((digits += 2) > 19) return false;
                mantissa = mantissa * 100 + static_cast<std::uint64_t>(pair);
                if (decimals >= 0) decimals += 2;
                i += 2;
                continue;
            }
        }
        int code = i % 2 == 0 ? p[1 + i / 2] >> 4 : p[1 + i / 2] & 15;
        if (code < 10) {
            if (++digits > 19) return false;
            mantissa = mantissa * 10 + static_cast<std::uint64_t>(code);
            if (decimals >= 0) ++decimals;
        } else if (code == kPoint && decimals < 0) {
            decimals = 0;
        } else if ((code == kMinus || code == kPlus) && i == 0) {
            negative = code == kMinus;
        } else {
            return false;
        }
        ++i;
    }
    if (digits == 0) return false;
    value = ScaledDecimal(mantissa, decimals, negative);
    return true;
}

bool NodeStore::holdsPlainValue(NodeId node) const {
    return alive(node) && static_cast<Encoding>(tags_[node] >> 8 & 3) != Encoding::Raw;
}

bool NodeStore::timeFieldsInto(NodeId node, XmlTimeFields& f) const {
    if (!alive(node) || static_cast<Encoding>(tags_[node] >> 8 & 3) != Encoding::Time) return false;
    std::uint64_t b;
    std::memcpy(&b, at(nodes_[node].value), 8);
    auto field = [&](int shift, int width) { return static_cast<int>((b >> shift) & ((1u << width) - 1)); };
    f.year = field(0, 14);
    f.month = field(14, 4);
    f.day = field(18, 5);
    f.hour = field(23, 5);
    f.minute = field(28, 6);
    f.second = field(34, 6);
    f.millisecond = field(40, 10);
    int type = field(50, 2);
    // An offset no reading of the text accepts: the text says so itself.
    if (type != 0 && (field(52, 5) > 14 || field(57, 6) > 59)) return false;
    f.offsetMinutes = type == 0 ? 0 : (field(52, 5) * 60 + field(57, 6)) * (type == 1 ? 1 : -1);
    return true;
}

std::string_view NodeStore::keyName(AttrKey key) {
    std::string_view prefix = kKeyPrefix[static_cast<size_t>(key)];
    return prefix.substr(0, prefix.find(' '));
}

int NodeStore::kind(NodeId node) const { return tags_[node] & 7; }

bool NodeStore::alive(NodeId node) const { return node < nodes_.size() && !(tags_[node] & kDeadBit); }

NodeId NodeStore::previousSibling(NodeId node) const {
    if (!alive(node) || node == kRootNode) return kNoNode;
    NodeId p = nodes_[node].parent;
    return nodes_[p].firstChild == node ? kNoNode : nodes_[node].prevSibling;
}

std::uint32_t* NodeStore::countOf(NodeId node) const {
    if (node >= countedBelow_) return nullptr;
    if (node == lastCounted_) return lastCount_;
    auto it = counts_.find(node);
    if (it == counts_.end()) return nullptr;
    // Map entries stay where they are until erased.
    lastCounted_ = node;
    lastCount_ = &it->second;
    return lastCount_;
}

void NodeStore::forgetCount(NodeId node) {
    if (node >= countedBelow_) return;
    if (node == lastCounted_) {
        lastCounted_ = kNoNode;
        lastCount_ = nullptr;
    }
    counts_.erase(node);
}

std::uint32_t NodeStore::childCount(NodeId node) const {
    if (std::uint32_t* count = countOf(node)) return *count;
    std::uint32_t n = 0;
    for (NodeId c = nodes_[node].firstChild; c != kNoNode; c = nodes_[c].nextSibling) ++n;
    std::uint32_t& count = counts_[node];
    count = n;
    if (node >= countedBelow_) countedBelow_ = node + 1;
    lastCounted_ = node;
    lastCount_ = &count;
    return n;
}

void NodeStore::markDead(NodeId node) {
    // Depth-first without recursion: a segment may hold millions of points.
    NodeId n = node;
    while (true) {
        tags_[n] |= kDeadBit;
        if (!counts_.empty()) forgetCount(n);
        if (nodes_[n].firstChild != kNoNode) {
            n = nodes_[n].firstChild;
            continue;
        }
        while (n != node && nodes_[n].nextSibling == kNoNode) n = nodes_[n].parent;
        if (n == node) return;
        n = nodes_[n].nextSibling;
    }
}

void NodeStore::remove(NodeId node) {
    if (node == kRootNode || !alive(node)) return;
    ++revision_;
    detach(node);
    markDead(node);
}

void NodeStore::removeChildren(NodeId node) {
    if (!alive(node)) return;
    ++revision_;
    for (NodeId c = nodes_[node].firstChild; c != kNoNode; c = nodes_[c].nextSibling) markDead(c);
    nodes_[node].firstChild = kNoNode;
    if (std::uint32_t* count = countOf(node)) *count = 0;
}

void NodeStore::unlink(NodeId node) {
    if (node == kRootNode || !alive(node) || nodes_[node].parent == kNoNode) return;
    ++revision_;
    detach(node);
    nodes_[node].parent = kNoNode;
}

void NodeStore::relink(NodeId node, NodeId parent, NodeId before) {
    if (!alive(node) || nodes_[node].parent != kNoNode || !alive(parent)) return;
    if (before != kNoNode && (!alive(before) || nodes_[before].parent != parent)) before = kNoNode;
    ++revision_;
    attach(node, parent, before);
}

bool NodeStore::isWithin(NodeId node, NodeId ancestor) const {
    for (NodeId n = node; n != kNoNode; n = nodes_[n].parent)
        if (n == ancestor) return true;
    return false;
}

bool NodeStore::move(NodeId node, NodeId newParent, NodeId before) {
    if (node == kRootNode || !alive(node) || !alive(newParent) || isWithin(newParent, node)) return false;
    if (before != kNoNode && (!alive(before) || nodes_[before].parent != newParent || before == node))
        return false;
    ++revision_;
    detach(node);
    attach(node, newParent, before);
    return true;
}

}  // namespace core
