#pragma once
// Garmin transfers, top: the link with its command words, the packet
// analysis that logs, counts and collects what arrives, and the outcome of
// every command word as a core::Result.
//
// Command words: "id request", "get trackpoints", "get waypoints", "get
// routes", "put trackpoints", "put waypoints", "put routes", "power off",
// "determine bounds". A word starts once the link is quiet (six ticks after
// the last received frame). A get word is done when its Transfer complete
// arrived with the announced count; a put word when the receiver
// acknowledged its last packet. A word whose transfer does not finish ends
// failed, and the document is only changed by complete transfers.

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "core/result.h"
#include "garmin/link.h"
#include "garmin/transfers.h"

namespace host {
class LocaleInfo;
}

namespace garmin {

struct WordResult {
    std::string word;
    core::Result result;
};

class Session {
public:
    struct Hooks {
        std::function<bool()> isOpen;
        std::function<bool()> open;
        std::function<void(const Bytes&)> send;
        std::function<void(const std::string&)> log;            // Memo1
        std::function<void(const std::string&)> showProgress;   // Label2 and the progress window
        std::function<void()> hideProgress;
        std::function<void(const std::string&)> showReceiveBuffer;  // Label1
        std::function<void(const std::string&)> showStateTimeout;   // Label4
        std::function<void(const std::string&)> errorBox;       // a text for an error message box
        std::function<std::string(int)> message;                // the numbered message table
        std::function<void()> determineBounds;
        // Work that changes the document runs through here (the timer rule).
        std::function<void(std::function<void()>)> whenIdle;
        std::function<void(const WordResult&)> wordFinished;
    };

    Session(DocumentAccess access, const host::LocaleInfo& locale, Hooks hooks);
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    Link& link() { return link_; }
    void Receive(const std::uint8_t* bytes, size_t count) { link_.Receive(bytes, count); }
    void Timer1Timer();
    void appendCommand(const std::string& word) { link_.appendCommand(word); }

    // The buttons of the Garmin window.
    void IdRequest();
    void SendCommand(std::uint8_t command) { link_.Queue(CommandPacket(command)); }
    core::Result TxWaypointsClick();
    core::Result TxTrackpointsClick();
    core::Result TxRoutes();

    void AnalyzePacket(char direction, const Packet& packet);

    // Every command word has started and ended; the link is quiet.
    bool finished() const { return link_.idle() && !pending_.active; }
    const std::vector<WordResult>& results() const { return results_; }
    bool allDone() const;

    bool explain = false;  // cbExplain
    ProtocolList protocolList;
    std::vector<std::string> lbProtocol;
    ProductData product;
    long nRecords = 0, recordIndex = 0;
    int trackNumber = 0;
    BuildOptions buildOptions;
    CommitOptions commitOptions;

private:
    enum class Kind { Identify, Get, Put, Other };
    struct Pending {
        bool active = false;
        std::string word;
        Kind kind = Kind::Other;
        std::uint8_t command = 0;
        long firstSequence = 0;  // a put's packets, for the counts of a failure
        long lastSequence = 0;   // a put is done when this packet is acknowledged
        long acknowledged = 0;
        bool complete = false;
        std::optional<core::Result> outcome;
    };

    void runCommand(const std::string& word);
    void finishPending();
    void finishWord(const std::string& word, core::Result result);
    core::Result queueTransfers(const std::vector<Transfer>& transfers, const std::string& error,
                                const std::string& what);
    void receivedComplete(std::uint8_t command);
    void receivedRecord();
    void completed();
    std::string countsOfPending() const;
    void cleared(int reason, const std::deque<std::string>& dropped);
    void log(const std::string& line) {
        if (hooks_.log) hooks_.log(line);
    }
    void progress(const std::string& text) {
        if (hooks_.showProgress) hooks_.showProgress(text);
    }

    DocumentAccess access_;
    const host::LocaleInfo& locale_;
    Hooks hooks_;
    Link link_;
    IncomingTransfer incoming_;
    Pending pending_;
    long firstQueued_ = 0, lastQueued_ = 0;
    std::vector<WordResult> results_;
};

}  // namespace garmin
