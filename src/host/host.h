#pragma once
// The seams between Pathkeep's logic and the outside world. Logic code sees
// only these interfaces; the Qt adapters (host/qt) and the scripted test host
// (host/fake) implement them.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace host {

enum class Answer { Yes, No, Cancel };
enum class Severity { Information, Warning, Error };

// A file filter for the file dialogs: "GPX files (*.gpx)" style description
// plus the patterns it lists.
struct FileFilter {
    std::string description;
    std::vector<std::string> patterns;
};

// Our own modal dialogs are plain models that a widget fills and returns.
class DialogModel {
public:
    virtual ~DialogModel() = default;
    virtual std::string dialogName() const = 0;
};

// Message boxes, input boxes and file dialogs. Texts arrive already
// formatted: line breaks are "\r" as the message table makes them.
class Prompts {
public:
    virtual ~Prompts() = default;
    virtual Answer askYesNo(const std::string& text, Severity severity) = 0;
    virtual Answer askYesNoCancel(const std::string& text, Severity severity) = 0;
    virtual void show(const std::string& text, Severity severity) = 0;
    virtual std::optional<std::string> openFile(const std::string& title, const std::string& directory,
                                                const std::vector<FileFilter>& filters) = 0;
    virtual std::optional<std::string> saveFile(const std::string& title, const std::string& suggestedPath,
                                                const std::vector<FileFilter>& filters) = 0;
    virtual std::optional<std::string> inputText(const std::string& title, const std::string& prompt,
                                                 const std::string& initial) = 0;
    // Returns true when the user accepted the dialog.
    virtual bool show(DialogModel& dialog) = 0;
};

class Timer {
public:
    virtual ~Timer() = default;
    virtual void start() = 0;
    virtual void stop() = 0;
    virtual bool running() const = 0;
    virtual void setIntervalMs(int intervalMs) = 0;
    virtual int intervalMs() const = 0;
    virtual void onTick(std::function<void()> handler) = 0;
};

class Timers {
public:
    virtual ~Timers() = default;
    virtual std::unique_ptr<Timer> createTimer(const std::string& name) = 0;
};

// Lets pending user-interface events run during long loops, and shows the
// busy cursor while such a loop is active.
class EventPump {
public:
    virtual ~EventPump() = default;
    virtual void processEvents() = 0;
    // A long operation's turn for the user (every hundred items): a pump
    // may skip it when it let events run a moment ago.
    virtual void yieldToUser() { processEvents(); }
    virtual void setBusy(bool busy) = 0;
};

class Clock {
public:
    virtual ~Clock() = default;
    // Local time as a date-time serial number: days since 1899-12-30, the
    // fraction being the time of day.
    virtual double nowSerial() const = 0;
    // Offset of local time from UTC in minutes, east positive. Called for
    // every time stamp of large files, so adapters must answer cheaply.
    virtual int utcOffsetMinutes() const = 0;
};

class LocaleInfo {
public:
    virtual ~LocaleInfo() = default;
    virtual char decimalSeparator() const = 0;
    virtual std::string formatShortDate(int year, int month, int day) const = 0;
};

class Clipboard {
public:
    virtual ~Clipboard() = default;
    virtual std::string text() const = 0;
    virtual void setText(const std::string& text) = 0;
};

// Opens a document or address with the program the desktop associates with it.
class Shell {
public:
    virtual ~Shell() = default;
    virtual bool openDocument(const std::string& path) = 0;
};

class Network;

class Host {
public:
    virtual ~Host() = default;
    virtual Prompts& prompts() = 0;
    virtual Timers& timers() = 0;
    virtual EventPump& eventPump() = 0;
    virtual const Clock& clock() const = 0;
    virtual const LocaleInfo& locale() const = 0;
    virtual Clipboard& clipboard() = 0;
    virtual Shell& shell() = 0;
    virtual Network& network() = 0;
};

// --- byte links: TCP client sockets and the port listener ------------------
// Everything is reported on the user-interface thread, through the handlers.

enum class LinkState { Closed, Connecting, Open };

class ByteLink {
public:
    virtual ~ByteLink() = default;
    // A TCP client starts connecting; the state goes Connecting, then Open,
    // or an error is reported and it is Closed again.
    virtual void connectTo(const std::string& hostName, int port) = 0;
    virtual void close() = 0;
    virtual LinkState state() const = 0;
    // Queues bytes for sending; false when the link is not open.
    virtual bool write(std::string_view bytes) = 0;
    // While off, no bytes are taken from the peer: TCP's flow control then
    // holds the sender back instead of our buffers growing.
    virtual void setReceiving(bool on) = 0;
    // Looks, without waiting, for bytes or a hang-up the system holds but
    // has not announced; the handlers may run from inside.
    virtual void probe() {}
    // "127.0.0.1:40312", for log lines.
    virtual std::string peer() const = 0;
    // Bytes as they arrive, in order; the data is valid during the call only.
    virtual void onBytes(std::function<void(const char* data, size_t size)> handler) = 0;
    // Every change of state, also when the peer closes the connection. A
    // peer's close is announced after every byte it sent was handed to
    // onBytes (later, while receiving is off); state() tells the connection
    // itself, so it may say Closed before that.
    virtual void onState(std::function<void(LinkState state)> handler) = 0;
    // A failure (refused, reset, unreachable); the link is closed after it.
    virtual void onError(std::function<void(const std::string& message)> handler) = 0;
};

class Listener {
public:
    virtual ~Listener() = default;
    // Listens on the loopback address, or on every interface when
    // allInterfaces; false with a message when the port cannot be had.
    virtual bool listen(int port, bool allInterfaces, std::string& error) = 0;
    virtual void close() = 0;
    virtual bool listening() const = 0;
    virtual int port() const = 0;  // the port bound (useful after listening on 0)
    // While off, new connections wait in the system's queue, not refused.
    virtual void setAccepting(bool on) = 0;
    // Each accepted connection, already open; the handler owns it.
    virtual void onClient(std::function<void(std::unique_ptr<ByteLink> client)> handler) = 0;
};

class Network {
public:
    virtual ~Network() = default;
    virtual std::unique_ptr<ByteLink> createTcpClient() = 0;
    virtual std::unique_ptr<Listener> createListener() = 0;
};

// --- Drawing ----------------------------------------------------------------

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

enum class ImageFormat { Bmp, Png };

// An off-screen bitmap with integer pixel coordinates, x to the right and y
// downward from the top left corner. Boxes are given as the corners (x1, y1)
// and (x2, y2) with the right column and the bottom row left out, so the box
// from (0, 0) to (4, 4) covers 4 x 4 pixels. Lines are drawn with the pen;
// rectangles and ellipses are outlined with the pen and filled with the
// brush; text is written in the font colour on the brush colour. Drawing
// outside the bitmap is clipped.
class Canvas {
public:
    virtual ~Canvas() = default;
    virtual int width() const = 0;
    virtual int height() const = 0;
    // A new size; the whole bitmap turns white.
    virtual void resize(int width, int height) = 0;

    virtual void setPen(Rgb colour, int width) = 0;
    virtual void setBrush(Rgb colour) = 0;
    virtual void setFontColour(Rgb colour) = 0;

    virtual void fillRect(int x1, int y1, int x2, int y2, Rgb colour) = 0;
    virtual void line(int x1, int y1, int x2, int y2) = 0;
    virtual void rectangle(int x1, int y1, int x2, int y2) = 0;
    virtual void ellipse(int x1, int y1, int x2, int y2) = 0;
    // The text's top left corner at (x, y).
    virtual void text(int x, int y, const std::string& text) = 0;
    // The width text() covers with this text, in pixels.
    virtual int textWidth(const std::string& text) const = 0;
    virtual void setPixel(int x, int y, Rgb colour) = 0;
    // White outside the bitmap.
    virtual Rgb pixel(int x, int y) const = 0;
    // Copies `source` with its top left corner at (x, y), leaving out its
    // pixels of the transparent colour. `source` comes from the same factory.
    virtual void draw(int x, int y, const Canvas& source, std::optional<Rgb> transparent) = 0;

    // Writes the bitmap; the file is replaced only once it is complete.
    // Empty on success, else the reason.
    virtual std::string save(const std::string& path, ImageFormat format) const = 0;
};

class CanvasFactory {
public:
    virtual ~CanvasFactory() = default;
    // A white bitmap of the given size.
    virtual std::unique_ptr<Canvas> createCanvas(int width, int height) = 0;
    // A bitmap from the bytes of a PNG or JPEG picture; none when the bytes
    // are no picture the factory can read, or one over kMaxDecodedSide
    // pixels a side (a small file may unpack to gigabytes).
    static constexpr int kMaxDecodedSide = 4096;
    virtual std::unique_ptr<Canvas> decodeImage(std::string_view bytes) = 0;
};

// --- pieces used by single commands, passed to them directly ---------------

// Downloads a URL to a file. The file is replaced only when the whole
// download succeeded, so a failed attempt leaves a previous copy in place.
class Http {
public:
    virtual ~Http() = default;
    // False with `error` set when the address could not be reached, the
    // server answered with an error or the file could not be written.
    virtual bool download(const std::string& url, const std::string& path, std::string& error) = 0;
};

// Fetches web addresses into memory without waiting: many may be under way
// at once, and each answer comes later, on the user-interface thread,
// through the handler given with the request. A cancelled request is never
// answered; neither is one still open when the fetcher goes.
struct FetchRequest {
    std::string url;
    std::string userAgent;             // sent as the User-Agent header
    long long maxBytes = 4LL << 20;    // a longer answer fails
    int timeoutMs = 30000;             // without any byte for this long it fails
};

struct FetchReply {
    bool ok = false;     // a complete answer with a 2xx status
    int httpStatus = 0;  // 0 when the server never answered
    std::string body;    // the answer's bytes when ok
    std::string error;   // why not, when not ok
};

class HttpFetch {
public:
    using Ticket = std::uint64_t;
    virtual ~HttpFetch() = default;
    virtual Ticket fetch(const FetchRequest& request, std::function<void(FetchReply reply)> done) = 0;
    virtual void cancel(Ticket ticket) = 0;
};

}  // namespace host
