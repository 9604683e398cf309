#pragma once
// Route 66 capture: the user points at places on the planner's map, where
// Route 66 shows the pointer's co-ordinates in a small box beside it, and
// presses T or R (track point) or W (waypoint). Each press captures the
// screen around the pointer, reads the box, converts its degrees, minutes
// and seconds to decimal degrees and keeps a result line; the capture
// command turns the lines into points when the window closes.
//
// This is the state and the rules of the capture window ("OcrForm"); the
// widget shows the state and forwards the user's actions.

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "capture/desktop.h"
#include "capture/ocr.h"
#include "core/document.h"
#include "core/signal.h"
#include "host/host.h"

namespace capture {

constexpr int kSpaceHotKey = 1;
constexpr int kPreviewIntervalMs = 100;
constexpr int kActivateEveryTicks = 10;
constexpr int kOffsetBarMin = -50, kOffsetBarMax = 50;

// A result line: key, " B: ", 12 characters of latitude, " L: ", 12 of
// longitude; decimal degrees with ".", negative south and west.
std::string ResultLine(char key, const std::string& latitude, const std::string& longitude);
// "52.5" -> "52.500000000": the first "," made ".", padded with "0", cut to 12.
std::string Pad12(const std::string& decimal);

// A co-ordinate as the box writes it: "N 52° 05' 12.3\"".
struct DmsText {
    std::string hemisphere, degrees, minutes, seconds;
};
// Splits the text; false when it does not have that shape, a part is not a
// number (a garbled reading) or a character before the closing quote could
// not be read (kUnreadGlyph).
bool SplitDms(const std::string& text, DmsText& parts);

// Where a line of the box holds the co-ordinates: the four label tests in
// order, a later success overriding an earlier one. False when no line
// carries a label. Texts are trimmed.
bool FindCoordinates(const std::array<std::string, kMaxOcrLines>& lines, std::string& latitude,
                     std::string& longitude);

// Adds the result lines to the document: a new track "ACTIVE LOG" (made even
// without lines), a waypoint "R66" for W lines, a track point for the others.
// Lines that carry no co-ordinates are passed over. Returns the points added.
int AddRoute66Points(core::Document& doc, const std::vector<std::string>& lines);

class Route66Capture : public host::DialogModel {
public:
    // Finds the character table file of a profile ("" when there is none).
    using TableFinder = std::function<std::string(const OcrProfile&)>;
    using ReportFn = std::function<void(const std::string&)>;

    Route66Capture(Desktop& desktop, host::Host& host, TableFinder findTable, ReportFn report);
    ~Route66Capture() override;
    std::string dialogName() const override { return "TOcrForm"; }

    // FormShow: empties the lines and fields and the result list, selects
    // 2002, starts the preview, takes Space as a hot key. `self` is the
    // capture window, kept in front while the pointer rests on the map.
    void show(WindowId self = 0);
    // FormClose: stops the preview and gives the hot key back.
    void close();
    bool shown() const { return shown_; }

    void selectVersion(OcrVersion version);  // RadioButton1Click
    // The two offset scroll bars, each -50..50.
    void setOffsetBars(int horizontal, int vertical);
    int horizontalBar() const { return hBar_; }
    int verticalBar() const { return vBar_; }
    ScreenPoint offset() const { return offset_; }

    void tick();                // Timer1
    void keyPress(char key);    // FormKeyPress
    void hotKey(int id);        // system-wide hot key

    // The preview rectangle at the pointer into Image1.
    void SnapShot();

    bool debug = false;  // "Debug": recognition adds its pixel dump
    std::string hintText;     // the capture hint's text (message 28)
    std::string ocrDataFile;  // where "SaveToFile" writes the list (OcrData.txt)
    // Memo1: the pixel dump of the last recognition (debug), then the result lines.
    std::vector<std::string> memoLines() const;
    const std::vector<std::string>& results() const { return results_; }
    const std::vector<std::string>& dump() const { return dump_; }

    OcrVersion version() const { return version_; }
    const OcrProfile& profile() const { return ProfileOf(version_); }
    const std::string& tableFile() const { return tableFile_; }
    const OcrTable& table() const { return table_; }
    void reloadTable();  // after the table editor saved

    const Image& preview() const { return preview_; }   // Image1
    const Image& reduced() const { return reduced_; }   // Image2
    const std::array<std::string, kMaxOcrLines>& lines() const { return lines_; }
    std::string latitudeText, longitudeText;  // the two editable co-ordinate fields

    host::Timer& previewTimer() { return *timer_; }
    int ticks() const { return ticks_; }

    // The widget repaints on these.
    core::Signal<> previewChanged;  // Image1
    core::Signal<> readingChanged;  // Image2, the lines, the fields, Memo1
    core::Signal<> versionChanged;  // profile, sizes, offset bars

private:
    void recognise();
    void record(char key);

    Desktop& desktop_;
    host::Host& host_;
    TableFinder findTable_;
    ReportFn report_;
    std::unique_ptr<host::Timer> timer_;
    WindowId self_ = 0;
    bool shown_ = false;
    OcrVersion version_ = OcrVersion::V2002;
    int hBar_ = 1, vBar_ = 1;
    ScreenPoint offset_ = ProfileOf(OcrVersion::V2002).offset;
    int ticks_ = 0;
    OcrTable table_;
    std::string tableFile_;
    Image preview_, reduced_;
    std::array<std::string, kMaxOcrLines> lines_;
    std::vector<std::string> dump_, results_;
};

}  // namespace capture
