#pragma once
// A minimal observer list: logic fires, widgets listen. Single-threaded.

#include <functional>
#include <utility>
#include <vector>

namespace core {

template <typename... Args>
class Signal {
public:
    using Handler = std::function<void(Args...)>;

    int connect(Handler handler) {
        handlers_.emplace_back(++lastId_, std::move(handler));
        return lastId_;
    }
    void disconnect(int id) {
        std::erase_if(handlers_, [id](const auto& h) { return h.first == id; });
    }
    void operator()(Args... args) {
        if (handlers_.empty()) return;
        // Walk by id, so a handler may disconnect itself or others meanwhile.
        std::vector<int> ids;
        ids.reserve(handlers_.size());
        for (const auto& h : handlers_) ids.push_back(h.first);
        for (int id : ids)
            for (auto& h : handlers_)
                if (h.first == id) {
                    h.second(args...);
                    break;
                }
    }
    bool empty() const { return handlers_.empty(); }

    // Connects for the lifetime of the returned guard.
    class Connection;
    [[nodiscard]] Connection scoped(Handler handler);

private:
    std::vector<std::pair<int, Handler>> handlers_;
    int lastId_ = 0;
};

// Disconnects when it goes out of scope, so an observer that dies first is
// never called.
class ScopedConnection {
public:
    ScopedConnection() = default;
    explicit ScopedConnection(std::function<void()> undo) : undo_(std::move(undo)) {}
    ScopedConnection(ScopedConnection&& o) noexcept : undo_(std::exchange(o.undo_, nullptr)) {}
    ScopedConnection& operator=(ScopedConnection&& o) noexcept {
        if (undo_) undo_();
        undo_ = std::exchange(o.undo_, nullptr);
        return *this;
    }
    ~ScopedConnection() {
        if (undo_) undo_();
    }

private:
    std::function<void()> undo_;
};

template <typename... Args>
class Signal<Args...>::Connection : public ScopedConnection {
    using ScopedConnection::ScopedConnection;
};

template <typename... Args>
typename Signal<Args...>::Connection Signal<Args...>::scoped(Handler handler) {
    int id = connect(std::move(handler));
    return Connection([this, id] { disconnect(id); });
}

}  // namespace core
