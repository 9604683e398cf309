#include "map/tile_cache.h"

#include <algorithm>
#include <chrono>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "formats/atomic_file.h"

namespace map {

namespace fs = std::filesystem;

namespace {

constexpr const char* kExtension = ".tile";
// A trim goes below the limit by this share, so it does not run on every write.
constexpr double kTrimTo = 0.9;

std::int64_t nowTicks() { return fs::file_time_type::clock::now().time_since_epoch().count(); }

}  // namespace

std::string SourceFolder(const std::string& urlTemplate) {
    // FNV-1a, 32 bits: a short stable name, not a secret.
    std::uint32_t hash = 2166136261u;
    for (unsigned char c : urlTemplate) hash = (hash ^ c) * 16777619u;
    std::string host = urlTemplate;
    if (size_t scheme = host.find("://"); scheme != std::string::npos) host.erase(0, scheme + 3);
    host = host.substr(0, host.find('/'));
    std::string name;
    for (char c : host.substr(0, 64))
        name += (std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-') ? c : '_';
    char hex[9];
    std::snprintf(hex, sizeof hex, "%08x", hash);
    return (name.empty() ? std::string("tiles") : name) + "-" + hex;
}

TileCache::TileCache(std::string folder, long long maxBytes) : folder_(std::move(folder)), maxBytes_(maxBytes) {}

std::string TileCache::pathOf(const std::string& source, TileId t) const {
    return folder_ + "/" + source + "/" + std::to_string(t.zoom) + "/" + std::to_string(t.x) + "/" +
           std::to_string(t.y) + kExtension;
}

void TileCache::scan() {
    if (scanned_) return;
    scanned_ = true;
    std::error_code ec;
    fs::recursive_directory_iterator it(folder_, fs::directory_options::skip_permission_denied, ec), end;
    for (size_t seen = 0; !ec && it != end && seen < kMaxFiles; it.increment(ec), ++seen) {
        const fs::directory_entry& e = *it;
        if (e.path().extension() != kExtension || !e.is_regular_file(ec)) continue;
        const std::int64_t written = e.last_write_time(ec).time_since_epoch().count();
        Entry entry{static_cast<long long>(e.file_size(ec)), written, written};
        if (ec) continue;
        entries_[e.path().string()] = entry;
        total_ += entry.bytes;
    }
}

long long TileCache::bytes() {
    scan();
    return total_;
}

std::optional<std::string> TileCache::get(const std::string& source, TileId tile, bool* stale) {
    scan();
    const std::string path = pathOf(source, tile);
    auto it = entries_.find(path);
    if (it == entries_.end() || it->second.bytes > kMaxTileBytes) return std::nullopt;
    std::string bytes, error;
    if (!formats::ReadWholeFile(path, bytes, error)) {
        total_ -= it->second.bytes;
        entries_.erase(it);
        return std::nullopt;
    }
    // Used now: the last to go. The file keeps its time, which says when it was fetched.
    it->second.usedAt = nowTicks();
    if (stale) {
        const auto age = fs::file_time_type::duration(it->second.usedAt - it->second.fetchedAt);
        *stale = age > std::chrono::seconds(kFreshSeconds);
    }
    return bytes;
}

bool TileCache::put(const std::string& source, TileId tile, const std::string& bytes) {
    if (static_cast<long long>(bytes.size()) > kMaxTileBytes) return false;
    scan();
    const std::string path = pathOf(source, tile);
    std::error_code ec;
    fs::create_directories(fs::path(path).parent_path(), ec);
    formats::AtomicFile file(path);
    if (!file.open() || !file.write(bytes) || !file.commit()) return false;
    Entry& e = entries_[path];
    total_ += static_cast<long long>(bytes.size()) - e.bytes;
    e = {static_cast<long long>(bytes.size()), nowTicks(), nowTicks()};
    if (total_ > maxBytes_) trim();
    return true;
}

void TileCache::trim() {
    std::vector<std::pair<std::int64_t, std::string>> byAge;
    byAge.reserve(entries_.size());
    for (const auto& [path, e] : entries_) byAge.emplace_back(e.usedAt, path);
    std::sort(byAge.begin(), byAge.end());
    const auto goal = static_cast<long long>(static_cast<double>(maxBytes_) * kTrimTo);
    for (const auto& [usedAt, path] : byAge) {
        if (total_ <= goal) break;
        std::error_code ec;
        fs::remove(path, ec);
        total_ -= entries_[path].bytes;
        entries_.erase(path);
    }
}

}  // namespace map
