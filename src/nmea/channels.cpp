#include "nmea/channels.h"

#include <algorithm>
#include <cerrno>
#include <chrono>

#include "core/fn.h"
#include "nmea/channel_texts.h"

namespace nmea {

namespace {

TComPortBaudRate speedOf(int speed) {
    switch (speed) {
        case 1200: return br1200;
        case 2400: return br2400;
        case 4800: return br4800;
        case 14400: return br14400;
        case 19200: return br19200;
        case 38400: return br38400;
        case 56000: return br56000;
        case 57600: return br57600;
        case 115200: return br115200;
        default: return br9600;
    }
}

TComPortDataBits bitsOf(int bits) {
    switch (bits) {
        case 5: return db5BITS;
        case 6: return db6BITS;
        case 7: return db7BITS;
        default: return db8BITS;
    }
}

TComPortParity parityOf(const std::string& parity) {
    if (parity == "odd") return ptODD;
    if (parity == "even") return ptEVEN;
    if (parity == "mark") return ptMARK;
    if (parity == "space") return ptSPACE;
    return ptNONE;
}

TComPortStopBits stopOf(const std::string& stop) {
    if (stop == "1") return sb1BITS;
    if (stop == "2") return sb2BITS;
    return sb1HALFBITS;  // "1,5" and anything else
}

}  // namespace

std::array<TPoort, 2> DefaultChannelRecords() {
    std::array<TPoort, 2> records;
    records[1].Speed = 4800;
    return records;
}

struct Channels::ListenerClient {
    std::unique_ptr<host::ByteLink> link;
    LineFramer framer;
    bool gone = false;
    // Came while all places were taken: not read until a place is free or
    // it turns out to have hung up already (then it only drains).
    bool waiting = false;
    int waitedTicks = 0;
};

Channels::Channels(host::Host& host, ChannelSinks sinks, PortMap ports, GpsDisplay& display)
    : Kabel1(host.timers(), std::move(ports)),
      sinks_(std::move(sinks)),
      display_(display),
      rxTimer_(host.timers().createTimer("RxTimer")),
      client_(host.network().createTcpClient()),
      listener_(host.network().createListener()) {
    rxTimer_->setIntervalMs(kIdleIntervalMs);
    rxTimer_->onTick([this] { RxTimerTimer(); });
    Kabel1.OnReceiveData = [this](TCommPortDriver& sender, const char* data, size_t size) {
        sender.Hold();  // no nested delivery while this one runs
        receive(framer_, data, size);
        sender.Release();
    };
    Kabel1.OnHangUp = [this](TCommPortDriver& sender) {
        // A receiver unplugged: say so instead of showing the port as open.
        if (sinks_.report)
            sinks_.report(ChannelMessage(ChannelText::DeviceGone, {sender.ports().caption(sender.ComPort() + 1)}));
        sender.Close();
        setChannelState(message(2) + " " + message(3), false);
    };
    client_->onBytes([this](const char* data, size_t size) { receive(framer_, data, size); });
    client_->onState([this](host::LinkState s) {
        clientStateChanged(s);
        if (s != host::LinkState::Open) return;
        if (sinks_.packetLog) sinks_.packetLog("Socket connected");  // ClientSocketConnect
        if (!pendingSend_.empty()) {
            std::string data = std::move(pendingSend_);
            pendingSend_.clear();
            for (size_t at = 0; at < data.size(); at += kSocketPiece)
                client_->write(std::string_view(data).substr(at, kSocketPiece));
        }
    });
    client_->onError([this](const std::string& error) {  // ClientSocketError
        client_->close();
        pendingSend_.clear();
        if (sinks_.packetLog) sinks_.packetLog("Client Socket communication ERROR!");
        if (sinks_.report) sinks_.report(error);
        clientError(error);
    });
    listener_->onClient([this](std::unique_ptr<host::ByteLink> link) { onListenerClient(std::move(link)); });
    log_.onProblem = [this](const ReceptionLog::Problem& p) {
        if (sinks_.report) sinks_.report(p.text);
        if (sinks_.setPanel) sinks_.setPanel(1, p.text);
    };
}

Channels::~Channels() { *alive_ = false; }

std::string Channels::message(int n) const { return sinks_.message ? sinks_.message(n) : std::string(); }

void Channels::toggle(bool& lamp) { lamp = !lamp; }

void Channels::setChannelState(const std::string& text, bool open) {
    if (sinks_.setPanel) sinks_.setPanel(0, text);
    indicators_.portOpenChecked = open;
    indicators_.portClosedChecked = !open;
    indicatorsChanged();
}

// --- opening, closing, sending -----------------------------------------------

bool Channels::StartCommunication1() {
    TPoort& r = current();
    bool ok = true;
    if (r.SocketC) {
        client_->close();
        client_->connectTo(r.IpAddressC, r.IpPortC);
        setChannelState(message(2) + " socket", true);
    } else {
        Kabel1.Close();
        Kabel1.setComPortHwHandshaking(hhNONERTSON);
        Kabel1.setComPortSwHandshaking(shNONE);
        Kabel1.setComPortSpeed(speedOf(r.Speed));
        Kabel1.setComPortDataBits(bitsOf(r.Bits));
        Kabel1.setComPortParity(parityOf(r.Parity));
        Kabel1.setComPortStopBits(stopOf(r.Stop));
        int port = r.Port >= 1 && r.Port <= PortMap::kPorts ? r.Port : 1;
        Kabel1.setComPort(static_cast<TComPortNumber>(port - 1));
        ok = Kabel1.Open();
        if (ok) {
            if (Kabel1.ModemLines() == 0) Kabel1.CheckLineStatus = false;
            // The port that was opened, whichever record it came from.
            setChannelState(message(2) + " " + std::to_string(port), true);
        } else {
            setChannelState("Error: GetLastError = " + std::to_string(Kabel1.lastError()), false);
            if (sinks_.report && !Kabel1.lastErrorText().empty()) sinks_.report(Kabel1.lastErrorText());
        }
    }
    framer_.clear();
    if (Protocol() == "NMEA") rxTimer_->start();
    return ok;
}

void Channels::StopCommunication1() {
    rxTimer_->stop();
    if (sinks_.stopSimulation) sinks_.stopSimulation();
    if (current().SocketC) client_->close();
    else Kabel1.Close();
    pendingSend_.clear();
    setChannelState(message(2) + " " + message(3), false);
}

bool Channels::channelOpen() const {
    const TPoort& r = Poort[Protocol() == "Garmin" ? 0 : 1];
    return r.SocketC ? client_->state() != host::LinkState::Closed : Kabel1.IsOpen();
}

void Channels::Transmit1(std::string_view data) {
    if (!channelOpen()) (void)StartCommunication1();  // a failure shows in status panel 0
    if (current().SocketC) {
        if (client_->state() == host::LinkState::Open) {
            for (size_t at = 0; at < data.size(); at += kSocketPiece) client_->write(data.substr(at, kSocketPiece));
        } else if (client_->state() == host::LinkState::Connecting &&
                   pendingSend_.size() + data.size() <= kMaxPendingSend) {
            pendingSend_.append(data);  // sent once connected
        }
    } else {
        Kabel1.Write(data.data(), data.size());
    }
    toggle(indicators_.txd1Green);
    indicatorsChanged();
}

// --- receiving ----------------------------------------------------------------

void Channels::receive(LineFramer& framer, const char* data, size_t size) {
    toggle(indicators_.rxd1Green);
    if (Protocol() == "NMEA") {
        framer.feed(
            std::string_view(data, size), [this](std::string&& line) { lineCompleted(std::move(line)); },
            [this] {
                ++counts_.overlongLines;
                if (sinks_.report)
                    sinks_.report(
                        ChannelMessage(ChannelText::LineTooLong, {std::to_string(LineFramer::kMaxLineBytes)}));
            });
    } else if (sinks_.garminReceive) {
        for (size_t i = 0; i < size; ++i) sinks_.garminReceive(static_cast<unsigned char>(data[i]));
    }
    indicatorsChanged();
}

void Channels::lineCompleted(std::string&& line) {
    int shown = queue_.push(std::move(line));
    if (!socketsPaused_ && queue_.waiting() >= kPauseAt) setSocketsReceiving(false);
    indicators_.Label34 = "Queue: " + std::to_string(shown) + " - " + std::to_string(queue_.readCounter());
    if (!rxTimer_->running()) rxTimer_->start();
}

void Channels::RxTimerTimer() {
    sweepClients();
    indicators_.Label34 = queue_.label();
    if (queue_.empty()) {
        rxTimer_->setIntervalMs(kIdleIntervalMs);
        indicatorsChanged();
        return;
    }
    if (processingQueued_) return;  // waiting for a long operation to end
    processingQueued_ = true;
    std::weak_ptr<bool> alive = alive_;
    auto work = [this, alive] {
        if (alive.expired()) return;
        processingQueued_ = false;
        processWaiting(true);
    };
    if (sinks_.whenIdle) sinks_.whenIdle(work);
    else work();
}

void Channels::ProcessAllWaiting() { processWaiting(false); }

void Channels::processWaiting(bool withBudget) {
    rxTimer_->stop();
    reportDropped();
    // Lines are processed in order for a few milliseconds, so a burst never
    // blocks the window and a fast receiver never outruns the display.
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kTickBudgetMs);
    int sinceCheck = 0;
    while (!queue_.empty() && counts_.lines != lineLimit_) {
        processLine(queue_.pop());
        if (withBudget && ++sinceCheck == 8) {
            sinceCheck = 0;
            if (std::chrono::steady_clock::now() >= deadline) break;
        }
    }
    if (socketsPaused_ && queue_.waiting() <= kResumeAt) setSocketsReceiving(true);
    indicators_.Label34 = queue_.label();
    indicatorsChanged();
    rxTimer_->setIntervalMs(kBusyIntervalMs);
    rxTimer_->start();
}

void Channels::reportDropped() {
    size_t dropped = queue_.takeDropped();
    if (dropped == 0) return;
    counts_.droppedLines += static_cast<long long>(dropped);
    if (sinks_.report)
        sinks_.report(ChannelMessage(ChannelText::LinesDropped,
                                     {std::to_string(dropped), std::to_string(RxQueue::kCapacity)}));
}

void Channels::processLine(const std::string& line) {
    ++counts_.lines;
    Log(line);
    if (!core::CheckNmeaChecksum(line)) {
        ++counts_.checksumErrors;
        Log("$CHECKSUM ERROR: " + line);
        return;
    }
    receptionLine(line);
    DecodeResult r = DecodeNMEA(line, decodeOptions, display_);
    if (r.status == DecodeStatus::BadNumber && !badNumberReported_) {
        // Once: a receiver that sends it sends it in every report.
        badNumberReported_ = true;
        if (sinks_.report) sinks_.report(r.error);
        if (sinks_.setPanel) sinks_.setPanel(2, r.error);
    }
}

void Channels::Log(const std::string& line) {
    if (sinks_.appendLog) sinks_.appendLog("Live> " + line);
    log_.add(line);
}

// --- logging --------------------------------------------------------------------

void Channels::Startloggen1Click(host::Prompts& prompts) {
    if (log_.logging()) {
        stopLogging();
        return;
    }
    auto chosen = prompts.saveFile("", log_.path(), {{"log file", {"*.log"}}});
    if (chosen) startLogging(WithLogExtension(*chosen));
}

void Channels::startLogging(const std::string& path) {
    log_.setPath(path);
    log_.setLogging(true);
    Log("$ --- Start ---");
    indicators_.loggingChecked = true;
    if (sinks_.setPanel) sinks_.setPanel(1, message(4));
    indicatorsChanged();
}

void Channels::stopLogging() {
    Log("$ --- Stop ---");
    log_.setLogging(false);
    indicators_.loggingChecked = false;
    if (sinks_.setPanel) sinks_.setPanel(1, "");
    indicatorsChanged();
}

void Channels::Shutdown() { Log("--- Stop ---"); }

// --- the port listener ------------------------------------------------------------

bool Channels::setListener(bool enabled, int port) {
    listener_->close();
    clients_.clear();
    if (!enabled) return true;
    std::string error;
    if (!listener_->listen(port, listenAllInterfaces, error)) {
        if (sinks_.report) sinks_.report(ChannelMessage(ChannelText::ListenFailed, {std::to_string(port), error}));
        return false;
    }
    holdBackClients();
    return true;
}

bool Channels::listening() const { return listener_->listening(); }
int Channels::listenerPort() const { return listener_->port(); }

size_t Channels::listenerClients() const {
    // A client that hung up frees its place at once, even while its last
    // bytes still wait to be read.
    return static_cast<size_t>(std::count_if(clients_.begin(), clients_.end(), [](const auto& c) {
        return !c->gone && !c->waiting && c->link->state() != host::LinkState::Closed;
    }));
}

void Channels::probeClients() {
    // Handlers may run and mark clients gone; none is removed meanwhile.
    for (auto& c : clients_)
        if (!c->gone) c->link->probe();
}

void Channels::refuse(host::ByteLink& link) {
    if (sinks_.report)
        sinks_.report(ChannelMessage(ChannelText::ClientRefused, {link.peer(), std::to_string(kMaxClients)}));
    link.close();
}

void Channels::onListenerClient(std::unique_ptr<host::ByteLink> link) {
    sweepClients();
    if (clients_.size() >= kMaxClients + kMaxDraining) return refuse(*link);  // not accepting: a race
    auto client = std::make_unique<ListenerClient>();
    ListenerClient* c = client.get();
    c->link = std::move(link);
    // Clients that connect, send and hang up one after another are accepted
    // in a batch before their ends are read: a full house only refuses one
    // that is still connected after a wait.
    if (listenerClients() >= kMaxClients) probeClients();
    c->waiting = listenerClients() >= kMaxClients;
    if (socketsPaused_ || c->waiting) c->link->setReceiving(false);
    if (c->waiting && !rxTimer_->running()) rxTimer_->start();  // its ticks decide
    c->link->onBytes([this, c](const char* data, size_t size) {  // ServerSocketClientRead
        if (sinks_.packetLog) sinks_.packetLog("ServerSocket: " + std::string(data, size));
        receive(c->framer, data, size);
    });
    c->link->onState([c](host::LinkState s) {
        if (s == host::LinkState::Closed) c->gone = true;  // removed at the next sweep
    });
    c->link->onError([this, c](const std::string& error) {  // ServerSocketClientError
        c->gone = true;
        if (sinks_.packetLog) sinks_.packetLog("Server Socket communication ERROR!");
        if (sinks_.report) sinks_.report("ServerSocket: " + c->link->peer() + ": " + error);
    });
    clients_.push_back(std::move(client));
    holdBackClients();
}

void Channels::holdBackClients() {
    // Clients that hung up wait to be read while the queue is full; more of
    // them wait in the system's queue of connections, held back by TCP.
    listener_->setAccepting(clients_.size() < kMaxClients + kMaxDraining);
}

void Channels::setSocketsReceiving(bool on) {
    socketsPaused_ = !on;
    client_->setReceiving(on);
    for (auto& c : clients_) c->link->setReceiving(on && !c->waiting);
}

void Channels::sweepClients() {
    // A client that went away mid-line takes its partial line with it.
    std::erase_if(clients_, [](const auto& c) { return c->gone; });
    if (std::any_of(clients_.begin(), clients_.end(), [](const auto& c) { return c->waiting; })) probeClients();
    for (auto& c : clients_) {
        if (!c->waiting) continue;
        bool hungUp = c->link->state() == host::LinkState::Closed;
        if (hungUp || listenerClients() < kMaxClients) {
            c->waiting = false;
            c->link->setReceiving(!socketsPaused_);
        } else if (++c->waitedTicks > kWaitTicks) {
            c->gone = true;
            refuse(*c->link);
        }
    }
    holdBackClients();
}

}  // namespace nmea
