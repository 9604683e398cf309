#pragma once
// Byte links over Qt's sockets: QTcpSocket for the client and for each
// accepted connection, QTcpServer for the port listener.

#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>

#include "host/host.h"

namespace host {

class QtByteLink : public ByteLink {
public:
    QtByteLink();                                  // a client socket
    explicit QtByteLink(QTcpSocket* accepted);     // an accepted connection (taken over)
    ~QtByteLink() override;

    void connectTo(const std::string& hostName, int port) override;
    void close() override;
    LinkState state() const override;
    bool write(std::string_view bytes) override;
    void setReceiving(bool on) override;
    void probe() override;
    std::string peer() const override;
    void onBytes(std::function<void(const char*, size_t)> handler) override { bytes_ = std::move(handler); }
    void onState(std::function<void(LinkState)> handler) override { state_ = std::move(handler); }
    void onError(std::function<void(const std::string&)> handler) override { error_ = std::move(handler); }

private:
    void wire();
    void readAvailable();
    bool receiving_ = true;
    bool closePending_ = false;  // the peer hung up; bytes of it still to hand on
    QPointer<QTcpSocket> socket_;
    std::function<void(const char*, size_t)> bytes_;
    std::function<void(LinkState)> state_;
    std::function<void(const std::string&)> error_;
};

class QtListener : public Listener {
public:
    QtListener();
    ~QtListener() override;
    bool listen(int port, bool allInterfaces, std::string& error) override;
    void close() override {
        server_->close();
        accepting_ = true;  // a new socket accepts from the start
    }
    bool listening() const override { return server_->isListening(); }
    int port() const override { return server_->serverPort(); }
    void setAccepting(bool on) override;
    void onClient(std::function<void(std::unique_ptr<ByteLink>)> handler) override { client_ = std::move(handler); }

private:
    void takePending();
    QTcpServer* server_;
    bool accepting_ = true;
    std::function<void(std::unique_ptr<ByteLink>)> client_;
};

class QtNetwork : public Network {
public:
    std::unique_ptr<ByteLink> createTcpClient() override { return std::make_unique<QtByteLink>(); }
    std::unique_ptr<Listener> createListener() override { return std::make_unique<QtListener>(); }
};

}  // namespace host
