#include "host/qt/qt_network.h"

namespace host {

namespace {

// Socket reads are handed on in pieces of this size at most, and Qt keeps
// at most kSocketBuffer bytes that we have not taken, so a paused link
// holds the peer back through TCP's flow control.
constexpr qint64 kReadChunk = 4096;
constexpr qint64 kSocketBuffer = 65536;

LinkState linkState(QAbstractSocket::SocketState s) {
    switch (s) {
        case QAbstractSocket::ConnectedState: return LinkState::Open;
        case QAbstractSocket::HostLookupState:
        case QAbstractSocket::ConnectingState: return LinkState::Connecting;
        default: return LinkState::Closed;
    }
}

}  // namespace

QtByteLink::QtByteLink() : socket_(new QTcpSocket) { wire(); }

QtByteLink::QtByteLink(QTcpSocket* accepted) : socket_(accepted) {
    socket_->setParent(nullptr);
    wire();
}

QtByteLink::~QtByteLink() {
    if (!socket_) return;
    socket_->disconnect();
    socket_->abort();
    // Handlers may destroy the link from inside one of the socket's signals.
    socket_->deleteLater();
}

void QtByteLink::wire() {
    QTcpSocket* s = socket_;
    s->setReadBufferSize(kSocketBuffer);
    QObject::connect(s, &QTcpSocket::readyRead, s, [this] { readAvailable(); });
    QObject::connect(s, &QTcpSocket::stateChanged, s, [this](QAbstractSocket::SocketState st) {
        LinkState mapped = linkState(st);
        if (st == QAbstractSocket::ClosingState) return;
        if (mapped == LinkState::Closed && socket_ && socket_->bytesAvailable() > 0) {
            // The peer sent its last bytes and hung up: they are handed on
            // first, now or when receiving resumes, and Closed after them.
            closePending_ = true;
            readAvailable();
            return;
        }
        if (state_) state_(mapped);
    });
    QObject::connect(s, &QTcpSocket::errorOccurred, s, [this](QAbstractSocket::SocketError e) {
        // A peer that closes its end is no failure: the state says it.
        if (e == QAbstractSocket::RemoteHostClosedError || !socket_) return;
        std::string text = socket_->errorString().toStdString();
        if (error_) error_(text);
    });
}

void QtByteLink::readAvailable() {
    while (receiving_ && socket_ && socket_->bytesAvailable() > 0) {
        QByteArray data = socket_->read(kReadChunk);
        if (data.isEmpty()) break;
        if (bytes_) bytes_(data.constData(), static_cast<size_t>(data.size()));
    }
    if (closePending_ && socket_ && socket_->bytesAvailable() == 0) {
        closePending_ = false;
        if (state_) state_(LinkState::Closed);
    }
}

void QtByteLink::setReceiving(bool on) {
    bool resumed = on && !receiving_;
    receiving_ = on;
    // What waits already raises no new readyRead: read it once we are back
    // in the event loop.
    if (resumed && socket_)
        QMetaObject::invokeMethod(socket_, [this] { readAvailable(); }, Qt::QueuedConnection);
}

void QtByteLink::connectTo(const std::string& hostName, int port) {
    closePending_ = false;
    socket_->abort();
    socket_->connectToHost(QString::fromStdString(hostName), static_cast<quint16>(port));
}

void QtByteLink::close() {
    closePending_ = false;
    if (socket_) socket_->abort();
}

LinkState QtByteLink::state() const { return socket_ ? linkState(socket_->state()) : LinkState::Closed; }

void QtByteLink::probe() {
    // A socket accepted together with others may never be told of the
    // peer's close that came with its data; a look without waiting reads it.
    if (socket_ && socket_->state() == QAbstractSocket::ConnectedState) socket_->waitForReadyRead(0);
}

bool QtByteLink::write(std::string_view bytes) {
    if (state() != LinkState::Open) return false;
    return socket_->write(bytes.data(), static_cast<qint64>(bytes.size())) == static_cast<qint64>(bytes.size());
}

std::string QtByteLink::peer() const {
    if (!socket_) return {};
    return (socket_->peerAddress().toString() + ":" + QString::number(socket_->peerPort())).toStdString();
}

QtListener::QtListener() : server_(new QTcpServer) {
    QObject::connect(server_, &QTcpServer::newConnection, server_, [this] { takePending(); });
}

void QtListener::takePending() {
    // Connections Qt took before accepting was paused wait in its queue.
    while (accepting_) {
        QTcpSocket* s = server_->nextPendingConnection();
        if (!s) break;
        auto link = std::make_unique<QtByteLink>(s);
        if (client_) client_(std::move(link));
    }
}

void QtListener::setAccepting(bool on) {
    if (on == accepting_ || !server_->isListening()) return;  // Qt's pause needs a listening socket
    accepting_ = on;
    if (!on) return server_->pauseAccepting();
    server_->resumeAccepting();
    // Not from inside the caller, which may be handling a client.
    QMetaObject::invokeMethod(server_, [this] { takePending(); }, Qt::QueuedConnection);
}

QtListener::~QtListener() {
    server_->disconnect();
    server_->close();
    server_->deleteLater();
}

bool QtListener::listen(int port, bool allInterfaces, std::string& error) {
    close();
    QHostAddress address = allInterfaces ? QHostAddress(QHostAddress::Any) : QHostAddress(QHostAddress::LocalHost);
    if (port < 0 || port > 65535 || !server_->listen(address, static_cast<quint16>(port))) {
        error = port < 0 || port > 65535 ? "port number out of range" : server_->errorString().toStdString();
        return false;
    }
    return true;
}

}  // namespace host
