#pragma once
// The numbered message table, the message log and the status line: how every
// operation talks to the user.

#include <array>
#include <string>
#include <vector>

#include "core/signal.h"

namespace host {
class Clock;
}

namespace app {

class MessageTable {
public:
    static constexpr int kBuiltInCount = 57;

    MessageTable();  // starts with the built-in English texts
    // A language replaces the whole table.
    void replace(std::vector<std::string> entries) { entries_ = std::move(entries); }
    void restoreBuiltIn();
    const std::vector<std::string>& entries() const { return entries_; }

    // Message n with every "#" turned into a carriage return. A number past
    // the end of a shorter translated table falls back to the English text.
    std::string GetDialogText(int n) const;

private:
    std::vector<std::string> entries_;
};

const std::string& BuiltInMessage(int n);  // empty past the built-in table

// Texts this program adds to the numbered table, for situations the table has
// no message for.
enum class OwnMessage {
    FileUnreadable,      // a file the parser rejected
    SaveFailed,          // a file that could not be written
    SaveCancelled,       // Escape during a save
    DatabaseUnreadable,  // the waypoint database was kept aside
    NoWriter,            // a format this program cannot write yet
    KmlViewerFailed,     // the desktop has no program for KML files
    NothingSaved,        // a save that had nothing to write
    ReadCancelled,       // Escape during an open
    NoTrackToReverse,    // "Reverse track" with neither a listed nor a focused track
    ReplaceFile,         // a save whose target exists already
    UndoStale,           // an undo step whose rows were changed since
};
std::string OwnText(OwnMessage message);

// The time-stamped lines of the "Berichtenlog" page. Lines are only added.
class MessageLog {
public:
    // A live channel adds lines for hours: the oldest go beyond this many,
    // a tenth at a time, and the first line then says how many went.
    static constexpr size_t kMaxLines = 10000;

    explicit MessageLog(const host::Clock& clock) : clock_(clock) {}
    void Report(const std::string& message);
    // A line as it stands, without a time stamp (received sentences).
    void append(const std::string& line);
    // A line that tells of data lost or changed (a skipped line, a replaced
    // character): logged as Report does, and announced on warningAdded.
    void warning(const std::string& message);
    void clear();
    const std::vector<std::string>& lines() const { return lines_; }
    size_t droppedLines() const { return dropped_; }

    core::Signal<const std::string&> lineAdded;
    core::Signal<const std::string&> warningAdded;  // the message, without time stamp
    core::Signal<> cleared;

private:
    void keep(std::string line);

    const host::Clock& clock_;
    std::vector<std::string> lines_;
    size_t dropped_ = 0;
};

// The three panels of the status bar: channel state, logging state, general text.
class StatusLine {
public:
    static constexpr int kPanels = 3;
    void Status(const std::string& message) { setPanel(2, message); }
    void setPanel(int panel, const std::string& text);
    const std::string& panel(int panel) const { return panels_.at(static_cast<size_t>(panel)); }

    // Widgets repaint at once: the text must show while a long loop keeps
    // the event loop busy.
    core::Signal<int /*panel*/, const std::string&> changed;

private:
    std::array<std::string, kPanels> panels_;
};

}  // namespace app
