#pragma once
// The communication channels: one serial port (Kabel1) or TCP client socket
// for the current protocol, plus an optional port listener whose clients
// feed the same receive path. Received bytes become lines (LineFramer), wait
// in RxQueue, and RxTimer logs, checks and decodes them (DecodeNMEA) into
// the GpsDisplay. In Garmin mode every byte goes to the Garmin link layer.
//
// Timer rule: a receive event or RxTimer tick only moves bytes into our own
// buffers; the processing of waiting lines is handed to `whenIdle`, so it
// never runs while a long operation lets events run.
//
// Limits: lines of at most LineFramer::kMaxLineBytes, at most
// RxQueue::kCapacity waiting lines, at most kMaxClients listener clients,
// each with a line buffer of its own so clients never garble each other's
// lines.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/signal.h"
#include "host/host.h"
#include "nmea/gps_display.h"
#include "nmea/line_framer.h"
#include "nmea/reception_log.h"
#include "nmea/rx_queue.h"
#include "nmea/sentences.h"
#include "nmea/serial_port.h"

namespace nmea {

// One channel settings record.
struct TPoort {
    std::string Protocol = "NMEA";  // record 1 only: "NMEA" or "Garmin"
    int Port = 1;                   // serial port number 1-16
    int Speed = 9600;               // bit/s
    int Bits = 8;
    std::string Parity = "none";  // "none", "odd", "even", "mark", "space"
    std::string Stop = "1";       // "1", "1,5" or "2"
    bool SocketC = false;         // the TCP client socket instead of the serial port
    std::string IpAddressC = "127.0.0.1";
    int IpPortC = 7000;
    bool SocketS = false;  // record 1 only: port listener enabled
    int IpPortS = 7000;    // record 1 only
};

// Record 1 ("Garmin mode") and record 2 ("NMEA mode") with their defaults.
std::array<TPoort, 2> DefaultChannelRecords();

// The program around the channels: where lines, states and bytes go.
struct ChannelSinks {
    std::function<void(const std::string&)> appendLog;  // a message log line as it stands ("Live> ...")
    std::function<void(const std::string&)> report;     // a time-stamped message log line
    std::function<void(int panel, const std::string&)> setPanel;  // status panels 0-2
    std::function<void(const std::string&)> packetLog;  // the Garmin window's packet log
    std::function<void(unsigned char)> garminReceive;   // Garmin mode: each received byte
    std::function<void()> stopSimulation;               // TxTimer stopped, simulation "gestopt"
    // app::Operations::whenIdle: runs the line processing now, or after the
    // running operation; unset runs it at once.
    std::function<void(std::function<void()>)> whenIdle;
    std::function<std::string(int)> message;  // message table text n
};

// What the page's indicators and the menu's check marks show.
struct ChannelIndicators {
    bool rxd1Green = false;
    bool txd1Green = false;
    std::string Label34 = "Queue: 0 - 0";
    bool portOpenChecked = false;   // "Poort open"
    bool portClosedChecked = true;  // "Poort dicht"
    bool loggingChecked = false;    // "Start &loggen"
};

struct ChannelCounts {
    long long lines = 0;           // lines processed by RxTimer
    long long checksumErrors = 0;  // of those, lines that failed the checksum
    long long droppedLines = 0;    // overtaken in a full queue
    long long overlongLines = 0;   // dropped by the framer
};

class Channels {
public:
    static constexpr size_t kMaxClients = 8;  // connected at once
    // Clients that hung up but whose bytes still wait (the queue is full):
    // they hold no place among the connected, and each holds at most a
    // socket buffer. With this many the listener stops accepting for a while.
    static constexpr size_t kMaxDraining = 64;
    static constexpr int kWaitTicks = 2;  // RxTimer ticks a client waits for a place
    static constexpr size_t kSocketPiece = 128;         // bytes per socket write
    static constexpr size_t kMaxPendingSend = 65536;    // bytes kept while a client socket connects
    static constexpr int kIdleIntervalMs = 100;
    static constexpr int kBusyIntervalMs = 20;
    static constexpr int kTickBudgetMs = 8;  // line processing per tick
    // Sockets stop being read above this many waiting lines and are read
    // again below the lower mark; the serial port cannot be held back.
    static constexpr size_t kPauseAt = RxQueue::kCapacity / 2;
    static constexpr size_t kResumeAt = RxQueue::kCapacity / 4;

    Channels(host::Host& host, ChannelSinks sinks, PortMap ports, GpsDisplay& display);
    ~Channels();
    Channels(const Channels&) = delete;
    Channels& operator=(const Channels&) = delete;

    std::array<TPoort, 2> Poort = DefaultChannelRecords();  // [0] is record 1
    const std::string& Protocol() const { return Poort[0].Protocol; }
    void setProtocol(const std::string& protocol) { Poort[0].Protocol = protocol; }
    TPoort& current() { return Poort[Protocol() == "Garmin" ? 0 : 1]; }
    bool listenAllInterfaces = false;  // "SocketSAll"
    DecodeOptions decodeOptions;       // "AllTalkers" and the locale

    bool StartCommunication1();
    void StopCommunication1();
    void Transmit1(std::string_view data);
    bool channelOpen() const;

    void RxTimerTimer();
    // Processes every waiting line at once (the CLI's last step).
    void ProcessAllWaiting();
    // Processing stops for good after this many lines (the CLI's --lines).
    void setLineLimit(long long lines) { lineLimit_ = lines; }
    void Log(const std::string& line);

    // "Start &loggen": asks for the file when logging is off.
    void Startloggen1Click(host::Prompts& prompts);
    // Logging into `path`, appended to when it exists.
    void startLogging(const std::string& path);
    void stopLogging();
    ReceptionLog& logFile() { return log_; }
    // The main window closes: the last log line, which flushes the batch.
    void Shutdown();

    // The listener box of the settings dialog, effective at once.
    bool setListener(bool enabled, int port);
    bool listening() const;
    size_t listenerClients() const;
    int listenerPort() const;

    TCommPortDriver Kabel1;
    const ChannelIndicators& indicators() const { return indicators_; }
    const ChannelCounts& counts() const { return counts_; }
    const RxQueue& queue() const { return queue_; }
    bool socketsPaused() const { return socketsPaused_; }
    host::ByteLink& clientSocket() { return *client_; }

    core::Signal<> indicatorsChanged;
    core::Signal<host::LinkState> clientStateChanged;  // the client socket's
    core::Signal<const std::string&> clientError;
    core::Signal<const std::string&> receptionLine;  // Memo4: each line that passed its checksum

private:
    struct ListenerClient;

    void receive(LineFramer& framer, const char* data, size_t size);
    void lineCompleted(std::string&& line);
    void processLine(const std::string& line);
    void processWaiting(bool withBudget);
    void reportDropped();
    void setChannelState(const std::string& text, bool open);
    void toggle(bool& lamp);
    void onListenerClient(std::unique_ptr<host::ByteLink> link);
    void refuse(host::ByteLink& link);
    void probeClients();
    void holdBackClients();
    void sweepClients();
    void setSocketsReceiving(bool on);
    std::string message(int n) const;

    ChannelSinks sinks_;
    GpsDisplay& display_;
    std::unique_ptr<host::Timer> rxTimer_;
    std::unique_ptr<host::ByteLink> client_;
    std::unique_ptr<host::Listener> listener_;
    std::vector<std::unique_ptr<ListenerClient>> clients_;
    LineFramer framer_;  // serial port and client socket
    RxQueue queue_;
    ReceptionLog log_;
    ChannelIndicators indicators_;
    ChannelCounts counts_;
    std::string pendingSend_;
    long long lineLimit_ = -1;
    bool processingQueued_ = false;
    bool socketsPaused_ = false;
    bool badNumberReported_ = false;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace nmea
