#pragma once
// Tiles kept on disk between runs, so a view seen before needs no request:
// <folder>/<source>/<z>/<x>/<y>.tile, one source folder per tile server.
// The folder holds at most a given number of bytes; beyond that the tiles
// used longest ago go first (a tile read from the cache counts as used).
// Tiles are written whole or not at all.

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

    // The tile's bytes; none when it is not kept.
    std::optional<std::string> get(const std::string& source, TileId tile);
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
        std::int64_t usedAt = 0;  // the file's modification time, in the file clock's ticks
    };
    std::string folder_;
    long long maxBytes_;
    bool scanned_ = false;
    long long total_ = 0;
    std::unordered_map<std::string, Entry> entries_;  // by path
};

}  // namespace map
