#pragma once
// In-memory byte links for tests: the test delivers bytes, changes states
// and raises errors by hand, and reads what the code under test wrote.

#include <algorithm>
#include <vector>

#include "host/host.h"

namespace host {

class FakeNetwork;

class FakeByteLink : public ByteLink {
public:
    explicit FakeByteLink(FakeNetwork* owner, std::string peerName = "127.0.0.1:50000");
    ~FakeByteLink() override;

    void connectTo(const std::string& hostName, int port) override {
        connectedHost = hostName;
        connectedPort = port;
        setState(LinkState::Connecting);
    }
    void close() override {
        if (state_ != LinkState::Closed) setState(LinkState::Closed);
    }
    LinkState state() const override { return state_; }
    bool write(std::string_view bytes) override {
        if (state_ != LinkState::Open) return false;
        written.append(bytes);
        writes.emplace_back(bytes);
        return true;
    }
    void setReceiving(bool on) override {
        receiving = on;
        if (on && !held.empty()) {
            std::string data = std::move(held);
            held.clear();
            deliver(data);
        }
        if (on && held.empty() && closePending_) {
            closePending_ = false;
            if (state_handler_) state_handler_(LinkState::Closed);
        }
    }
    std::string peer() const override { return peer_; }
    void onBytes(std::function<void(const char*, size_t)> handler) override { bytes_ = std::move(handler); }
    void onState(std::function<void(LinkState)> handler) override { state_handler_ = std::move(handler); }
    void onError(std::function<void(const std::string&)> handler) override { error_ = std::move(handler); }

    // The test's side.
    // Bytes from the peer; held back while receiving is off, then delivered
    // in pieces of at most `piece` bytes, as a socket's reads come.
    void deliver(std::string_view data) {
        for (size_t at = 0; at < data.size(); at += piece) {
            if (!receiving) {
                held.append(data.substr(at));
                return;
            }
            if (bytes_) bytes_(data.data() + at, std::min(piece, data.size() - at));
        }
    }
    void setState(LinkState s) {
        state_ = s;
        if (state_handler_) state_handler_(s);
    }
    // The peer hangs up: announced once the bytes held back are delivered,
    // as the Qt link does.
    void peerCloses() {
        state_ = LinkState::Closed;
        if (!held.empty()) closePending_ = true;
        else if (state_handler_) state_handler_(LinkState::Closed);
    }
    void fail(const std::string& message) {
        if (error_) error_(message);
        close();
    }

    bool receiving = true;
    size_t piece = 4096;
    std::string held;
    std::string connectedHost;
    int connectedPort = 0;
    std::string written;
    std::vector<std::string> writes;  // one entry per write call

private:
    FakeNetwork* owner_;
    std::string peer_;
    LinkState state_ = LinkState::Closed;
    bool closePending_ = false;
    std::function<void(const char*, size_t)> bytes_;
    std::function<void(LinkState)> state_handler_;
    std::function<void(const std::string&)> error_;
};

class FakeListener : public Listener {
public:
    bool refuse = false;  // listen() fails, as when the port is taken
    bool allInterfaces = false;
    bool listen(int port, bool all, std::string& error) override {
        if (refuse) {
            error = "The bound address is already in use";
            return false;
        }
        port_ = port;
        allInterfaces = all;
        listening_ = true;
        return true;
    }
    void close() override { listening_ = false; }
    bool listening() const override { return listening_; }
    int port() const override { return port_; }
    void setAccepting(bool on) override { accepting = on; }
    bool accepting = true;
    void onClient(std::function<void(std::unique_ptr<ByteLink>)> handler) override { client_ = std::move(handler); }

    // A client connects; returns it (owned by the code under test), or
    // null when not listening.
    FakeByteLink* accept(FakeNetwork* network, const std::string& peer);

private:
    bool listening_ = false;
    int port_ = 0;
    std::function<void(std::unique_ptr<ByteLink>)> client_;
};

class FakeNetwork : public Network {
public:
    std::unique_ptr<ByteLink> createTcpClient() override {
        auto link = std::make_unique<FakeByteLink>(this, "127.0.0.1:7000");
        clients.push_back(link.get());
        return link;
    }
    std::unique_ptr<Listener> createListener() override {
        auto l = std::make_unique<FakeListener>();
        listeners.push_back(l.get());
        return l;
    }
    FakeByteLink* accept(const std::string& peer) {
        return listeners.empty() ? nullptr : listeners.back()->accept(this, peer);
    }

    std::vector<FakeByteLink*> clients;   // alive links, client sockets and accepted ones
    std::vector<FakeListener*> listeners;  // not tracked past their owner: use while it lives
    void forget(FakeByteLink* link) { clients.erase(std::remove(clients.begin(), clients.end(), link), clients.end()); }
};

inline FakeByteLink::FakeByteLink(FakeNetwork* owner, std::string peerName)
    : owner_(owner), peer_(std::move(peerName)) {}
inline FakeByteLink::~FakeByteLink() {
    if (owner_) owner_->forget(this);
}

inline FakeByteLink* FakeListener::accept(FakeNetwork* network, const std::string& peer) {
    if (!listening_ || !client_) return nullptr;
    auto link = std::make_unique<FakeByteLink>(network, peer);
    FakeByteLink* raw = link.get();
    network->clients.push_back(raw);
    raw->setState(LinkState::Open);
    client_(std::move(link));
    // The handler may have refused and dropped it already.
    return std::find(network->clients.begin(), network->clients.end(), raw) != network->clients.end() ? raw : nullptr;
}

}  // namespace host
