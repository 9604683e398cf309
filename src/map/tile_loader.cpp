#include "map/tile_loader.h"

#include <algorithm>
#include <chrono>
#include <cmath>

namespace map {

namespace {

double steadySeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

bool contains(const std::vector<TileId>& tiles, TileId t) {
    return std::find(tiles.begin(), tiles.end(), t) != tiles.end();
}

// A picture of any other size is no tile of this map (and may be huge).
std::unique_ptr<host::Canvas> decodeTile(host::CanvasFactory& canvases, const std::string& bytes) {
    std::unique_ptr<host::Canvas> image = canvases.decodeImage(bytes);
    if (image && (image->width() != kTileSize || image->height() != kTileSize)) image.reset();
    return image;
}

}  // namespace

TileLoader::TileLoader(host::HttpFetch& fetch, host::CanvasFactory& canvases, host::Timers& timers, TileCache* cache,
                       TileSourceSettings settings, std::function<double()> now)
    : fetch_(fetch),
      canvases_(canvases),
      cache_(cache),
      settings_(std::move(settings)),
      source_(SourceFolder(settings_.urlTemplate)),
      now_(now ? std::move(now) : steadySeconds),
      retry_(timers.createTimer("MapTileRetry")) {
    retry_->onTick([this] {
        retry_->stop();
        want(std::vector<TileId>(wanted_));
    });
}

TileLoader::~TileLoader() {
    for (const auto& [tile, ticket] : underWay_) fetch_.cancel(ticket);
}

void TileLoader::want(const std::vector<TileId>& tiles) {
    wanted_.clear();
    for (TileId t : tiles)
        if (!contains(wanted_, t)) wanted_.push_back(t);
    queue_.clear();
    std::vector<TileId> refresh;  // after every missing tile
    for (TileId t : wanted_) {
        const bool shown = memory_.count(t) != 0;
        if (shown) memory_[t].usedAt = ++uses_;
        if (shown && !stale_.count(t)) continue;
        if (auto f = failures_.find(t); f != failures_.end() && !due(t)) {
            wakeAt(f->second.at + f->second.wait);
            continue;
        }
        if (underWay_.count(t)) continue;
        bool stale = false;
        if (shown || fromCache(t, stale)) {
            if (shown || stale) {
                stale_.insert(t);
                refresh.push_back(t);
            }
            continue;
        }
        queue_.push_back(t);
    }
    queue_.insert(queue_.end(), refresh.begin(), refresh.end());
    pump();
}

const host::Canvas* TileLoader::image(TileId tile) const {
    auto m = memory_.find(tile);
    return m == memory_.end() ? nullptr : m->second.image.get();
}

bool TileLoader::due(TileId tile) const {
    auto f = failures_.find(tile);
    return f == failures_.end() || now_() >= f->second.at + f->second.wait;
}

bool TileLoader::fromCache(TileId tile, bool& stale) {
    if (!cache_) return false;
    std::optional<std::string> bytes = cache_->get(source_, tile, &stale);
    if (!bytes) return false;
    std::unique_ptr<host::Canvas> image = decodeTile(canvases_, *bytes);
    if (!image) return false;  // spoilt: fetched afresh and written over
    keep(tile, std::move(image));
    return true;
}

void TileLoader::keep(TileId tile, std::unique_ptr<host::Canvas> image) {
    memory_[tile] = {std::move(image), ++uses_};
    // The tile used longest ago goes first; the view's own tiles stay.
    while (memory_.size() > kMemoryTiles) {
        auto oldest = memory_.end();
        for (auto it = memory_.begin(); it != memory_.end(); ++it)
            if (!contains(wanted_, it->first) && (oldest == memory_.end() || it->second.usedAt < oldest->second.usedAt))
                oldest = it;
        if (oldest == memory_.end()) break;
        memory_.erase(oldest);
    }
}

void TileLoader::pump() {
    if (queue_.empty()) return;
    if (now_() < pausedUntil_) {
        wakeAt(pausedUntil_);
        return;
    }
    while (underWay_.size() < static_cast<size_t>(kMaxRequests) && !queue_.empty()) {
        const TileId tile = queue_.front();
        queue_.erase(queue_.begin());
        host::FetchRequest request;
        request.url = TileUrl(settings_.urlTemplate, tile);
        request.userAgent = settings_.userAgent;
        request.maxBytes = TileCache::kMaxTileBytes;
        underWay_[tile] =
            fetch_.fetch(request, [this, tile](host::FetchReply reply) { arrived(tile, std::move(reply)); });
    }
}

void TileLoader::arrived(TileId tile, host::FetchReply reply) {
    underWay_.erase(tile);
    std::unique_ptr<host::Canvas> image = reply.ok ? decodeTile(canvases_, reply.body) : nullptr;
    if (image) {
        failures_.erase(tile);
        stale_.erase(tile);
        pause_ = kPauseFirstS;
        if (cache_) (void)cache_->put(source_, tile, reply.body);
        keep(tile, std::move(image));
    } else {
        // A server that answered with no picture is reachable all the same.
        failed(tile, !reply.ok && reply.httpStatus == 0);
    }
    pump();
    changed();
}

void TileLoader::failed(TileId tile, bool unreachable) {
    const double now = now_();
    if (failures_.size() >= kMaxFailures)
        std::erase_if(failures_, [now](const auto& f) { return now >= f.second.at + f.second.wait; });
    if (failures_.size() >= kMaxFailures) failures_.clear();
    Failure& f = failures_[tile];
    f.wait = f.wait == 0 ? kRetryFirstS : std::min(f.wait * 2, kRetryMaxS);
    f.at = now;
    wakeAt(f.at + f.wait);
    if (unreachable) {
        pausedUntil_ = now + pause_;
        pause_ = std::min(pause_ * 2, kPauseMaxS);
        wakeAt(pausedUntil_);
    }
}

void TileLoader::wakeAt(double when) {
    const int ms = std::max(1, static_cast<int>(std::ceil((when - now_()) * 1000)));
    // One timer for every wait: it goes off at the earliest.
    if (retry_->running() && wakeAt_ <= when) return;
    wakeAt_ = when;
    retry_->setIntervalMs(ms);
    retry_->start();
}

}  // namespace map
