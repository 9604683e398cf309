#pragma once
// Tiles kept on disk between runs, so a view seen before needs no request:
// <folder>/<source>/<z>/<x>/<y>.tile, one source folder per tile server.
// The folder holds at most a given number of bytes; beyond that the tiles
// used longest ago go first (a tile read from the cache counts as used
// while the program runs; between runs the time it was fetched counts).
// A tile fetched more than a week ago is stale: tile servers ask that it
// be fetched again, and shown meanwhile. Tiles are written whole or not at all.

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>

#include "map/projection.h"

namespace map {

// The source folder of a tile template: its host name, readable, and a
// hash of the whole template, so two servers never share tiles.
std::string SourceFolder(const std::string& urlTemplate);

class TileCache {
public:
    static constexpr long long kMaxTileBytes = 4LL << 20;  // no tile is larger; a larger file is not one
    static constexpr size_t kMaxFiles = 1000000;           // the scan of the folder stops there

    TileCache(std::string folder, long long maxBytes);

    static constexpr std::int64_t kFreshSeconds = 7 * 24 * 3600;

    // The tile's bytes; none when it is not kept. `stale`, when given, says
    // whether it was fetched longer than kFreshSeconds ago.
    std::optional<std::string> get(const std::string& source, TileId tile, bool* stale = nullptr);
    // Keeps a tile; false when it could not be written.
    bool put(const std::string& source, TileId tile, const std::string& bytes);

    long long bytes();  // all tiles kept
    const std::string& folder() const { return folder_; }

private:
    std::string pathOf(const std::string& source, TileId tile) const;
    void scan();
    void trim();

    struct Entry {
        long long bytes = 0;
        std::int64_t usedAt = 0;     // in the file clock's ticks
        std::int64_t fetchedAt = 0;  // the file's modification time
    };
    std::string folder_;
    long long maxBytes_;
    bool scanned_ = false;
    long long total_ = 0;
    std::unordered_map<std::string, Entry> entries_;  // by path
};

}  // namespace map
