#include "core/block_reserve.h"

#include <sys/mman.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <vector>

namespace core {

namespace {

using Clock = std::chrono::steady_clock;

constexpr size_t kBlockBytes = size_t{1} << 21;  // one huge page
constexpr size_t kStartAfter = 4;                 // blocks asked for before the helper starts
constexpr size_t kAhead = 8;                      // blocks kept ready while a load goes on
constexpr auto kIdle = std::chrono::seconds(2);   // no asking this long: the load is over

void* newBlock() {
    void* p = std::aligned_alloc(kBlockBytes, kBlockBytes);
    if (!p) return nullptr;
    ::madvise(p, kBlockBytes, MADV_HUGEPAGE);
    // One write to each small page is the touch; a huge page takes one.
    static const size_t page = static_cast<size_t>(::sysconf(_SC_PAGESIZE));
    auto* bytes = static_cast<volatile unsigned char*>(p);
    for (size_t at = 0; at < kBlockBytes; at += page) bytes[at] = 0;
    return p;
}

class Reserve {
public:
    void* take() {
        std::unique_lock lock(mutex_);
        ++asked_;
        lastAsked_ = Clock::now();
        void* block = nullptr;
        if (!ready_.empty()) {
            block = ready_.back();
            ready_.pop_back();
            ++taken_;
        }
        if (!running_ && asked_ >= kStartAfter && std::thread::hardware_concurrency() > 1) {
            running_ = true;
            // Never joined: it sleeps between loads and ends with the process.
            std::thread([this] { work(); }).detach();
        }
        wake_.notify_one();
        return block;
    }
    size_t taken() {
        std::lock_guard lock(mutex_);
        return taken_;
    }
    bool running() {
        std::lock_guard lock(mutex_);
        return running_;
    }

private:
    bool loading() const { return Clock::now() - lastAsked_ < kIdle; }

    void work() {
        std::unique_lock lock(mutex_);
        for (;;) {
            if (loading() && ready_.size() < kAhead) {
                lock.unlock();
                void* block = newBlock();
                lock.lock();
                if (!block) {
                    wake_.wait_for(lock, kIdle);  // out of memory for now: the loader copes alone
                    continue;
                }
                ready_.push_back(block);
                continue;
            }
            if (!loading()) {
                // The load is over: what is ready goes back until the next.
                for (void* block : ready_) std::free(block);
                ready_.clear();
                wake_.wait(lock);
            } else {
                wake_.wait_for(lock, kIdle);
            }
        }
    }

    std::mutex mutex_;
    std::condition_variable wake_;
    std::vector<void*> ready_;
    size_t asked_ = 0, taken_ = 0;
    Clock::time_point lastAsked_{};
    bool running_ = false;
};

// Never destroyed: the helper may still run while the process ends.
Reserve& reserve() {
    static Reserve* r = new Reserve;
    return *r;
}

}  // namespace

void* TakeTouchedBlock(size_t bytes) {
    if (bytes != kBlockBytes) return nullptr;
    return reserve().take();
}

size_t TouchedBlocksTaken() { return reserve().taken(); }

bool BlockReserveRunning() { return reserve().running(); }

}  // namespace core
