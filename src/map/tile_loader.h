#pragma once
// Brings the tiles a view needs: from memory, else from the disk cache,
// else from the tile server, as the usage policy of OpenStreetMap's public
// servers asks of every program:
//   * at most two requests under way at once (so at most two connections);
//   * only tiles the view shows are asked for, nothing beyond it, and a
//     tile still waiting its turn when the view moved on is dropped;
//   * a User-Agent naming the program and its version;
//   * tiles once fetched are kept (TileCache) and not fetched again.
// A tile that failed waits before it is tried again (from 30 s, doubling
// to 15 minutes), and when the server cannot be reached at all no request
// goes out for a while (from 5 s, doubling to 5 minutes), so a missing
// network never turns into a loop of requests.

#include <functional>
#include <map>
#include <set>
#include <memory>
#include <string>
#include <vector>

#include "core/signal.h"
#include "host/host.h"
#include "map/projection.h"
#include "map/tile_cache.h"

namespace map {

// Decoded tiles by id, for the picture.
class TileImages {
public:
    virtual ~TileImages() = default;
    // None while the tile is not there.
    virtual const host::Canvas* image(TileId tile) const = 0;
};

struct TileSourceSettings {
    std::string urlTemplate;  // {z}/{x}/{y}
    std::string userAgent;    // "Pathkeep/4.03"
};

class TileLoader : public TileImages {
public:
    static constexpr int kMaxRequests = 2;
    static constexpr size_t kMemoryTiles = 160;  // decoded, about 40 MB
    static constexpr double kRetryFirstS = 30, kRetryMaxS = 900;
    static constexpr double kPauseFirstS = 5, kPauseMaxS = 300;
    static constexpr size_t kMaxFailures = 10000;  // remembered failed tiles

    // The cache may be left out (nothing kept between runs); `now` gives
    // seconds on a clock that only runs forward.
    TileLoader(host::HttpFetch& fetch, host::CanvasFactory& canvases, host::Timers& timers, TileCache* cache,
               TileSourceSettings settings, std::function<double()> now = {});
    ~TileLoader() override;
    TileLoader(const TileLoader&) = delete;
    TileLoader& operator=(const TileLoader&) = delete;

    // The tiles the view shows now, the most wanted first. Tiles waiting
    // for their turn that are not in the list are dropped.
    void want(const std::vector<TileId>& tiles);
    const host::Canvas* image(TileId tile) const override;

    // Nothing waits and nothing is under way (tiles failed lately wait no turn).
    bool settled() const { return queue_.empty() && underWay_.empty(); }
    int underWay() const { return static_cast<int>(underWay_.size()); }
    size_t waiting() const { return queue_.size(); }

    // A tile came (or failed): the picture may change.
    core::Signal<> changed;

private:
    void pump();
    void arrived(TileId tile, host::FetchReply reply);
    void failed(TileId tile, bool unreachable);
    // Whether the cache had the tile; a stale one is shown and fetched again.
    bool fromCache(TileId tile, bool& stale);
    void keep(TileId tile, std::unique_ptr<host::Canvas> image);
    bool due(TileId tile) const;
    void wakeAt(double when);

    host::HttpFetch& fetch_;
    host::CanvasFactory& canvases_;
    TileCache* cache_;
    TileSourceSettings settings_;
    std::string source_;  // the cache's folder for this server
    std::function<double()> now_;
    std::unique_ptr<host::Timer> retry_;

    struct Memory {
        std::unique_ptr<host::Canvas> image;
        std::uint64_t usedAt = 0;
    };
    std::map<TileId, Memory> memory_;
    std::uint64_t uses_ = 0;
    std::vector<TileId> wanted_;  // the last want(), for the retry
    std::vector<TileId> queue_;
    std::map<TileId, host::HttpFetch::Ticket> underWay_;
    struct Failure {
        double at = 0, wait = 0;
    };
    std::map<TileId, Failure> failures_;
    std::set<TileId> stale_;  // shown from the cache, fetched again when their turn comes
    double pausedUntil_ = 0, pause_ = kPauseFirstS;
    double wakeAt_ = 0;  // when the retry timer goes off
};

}  // namespace map
