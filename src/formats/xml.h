#pragma once
// Small RAII helpers over libxml2: a DOM for fragments and small files, a
// streaming reader for whole files, and a streaming, indented writer into an
// atomic file. Network access and entity substitution stay off everywhere.

#include <libxml/tree.h>
#include <libxml/xmlreader.h>
#include <libxml/xmlwriter.h>

#include <atomic>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <thread>

#include "formats/atomic_file.h"

namespace formats::xml {

struct DocFree {
    void operator()(xmlDoc* d) const { xmlFreeDoc(d); }
};
using DocPtr = std::unique_ptr<xmlDoc, DocFree>;

// Where and why the parser gave up.
struct ParseError {
    std::string message;
    int line = 0, column = 0;
    bool empty() const { return message.empty(); }
    std::string describe() const;  // "line 3, column 7: ..."
};

DocPtr parseMemory(std::string_view text, ParseError* error = nullptr);
DocPtr parseFile(const std::string& path, ParseError* error = nullptr);

// Element walking by local name; text and attribute values as UTF-8.
std::string_view name(const xmlNode* node);
xmlNode* firstElement(const xmlNode* parent);
xmlNode* nextElement(const xmlNode* node);
xmlNode* firstChildNamed(const xmlNode* parent, std::string_view childName);
// The text directly inside an element (text and CDATA children).
std::string text(const xmlNode* node);
bool holdsOnlyText(const xmlNode* node);
std::string attribute(const xmlNode* node, const char* attributeName);
// Text of the first child element of that name; empty when there is none.
std::string childText(const xmlNode* parent, std::string_view childName);

// A streaming reader over a file.
class Reader {
public:
    Reader() = default;
    ~Reader();
    Reader(const Reader&) = delete;
    Reader& operator=(const Reader&) = delete;

    bool open(const std::string& path);
    // Only the first `length` bytes of the file: what follows is not read.
    bool open(const std::string& path, long length);
    // A text in memory, which must outlive the reader.
    bool openMemory(std::string_view text);
    bool read();  // next node; false at the end or on an error
    bool skip();  // past the current node's subtree
    int depth() const;
    int type() const;
    bool isElement() const { return type() == XML_READER_TYPE_ELEMENT; }
    bool isEndElement() const { return type() == XML_READER_TYPE_END_ELEMENT; }
    bool isEmptyElement() const;
    std::string_view localName() const;
    std::string attribute(const char* attributeName) const;
    // The current element with its subtree; valid until the next read or skip.
    xmlNode* expand();
    // The text directly inside the current element; leaves the reader on the
    // element's end (or on the element itself when it is empty).
    std::string readElementText();
    long bytesConsumed() const;
    const ParseError& error() const { return error_; }

private:
    static void onError(void* self, xmlErrorPtr error);

    static int readSome(void* self, char* buffer, int len);
    static int closeFile(void* self);

    xmlTextReaderPtr reader_ = nullptr;
    ParseError error_;
    std::FILE* file_ = nullptr;
    long left_ = 0;
};

// The attributes of a start tag as the SAX parser hands them over: views
// into the parser's buffer, valid during the start callback only.
class Attributes {
public:
    Attributes(const xmlChar** quintuples, int count) : items_(quintuples), count_(count) {}
    int size() const { return count_; }
    std::string_view name(int i) const;
    // The value as the file means it (character references resolved).
    std::string value(int i) const;
    // The value of the attribute with that local name; empty when absent.
    std::string find(std::string_view attributeName) const;
    // The value as it stands between the quotes, references unresolved.
    std::string_view rawValue(int i) const;

private:
    const xmlChar** items_;
    int count_;
};

// Receives a document's elements and text in file order. Text may arrive in
// several pieces; entity references other than the predefined ones are skipped.
class SaxHandler {
public:
    virtual ~SaxHandler() = default;
    virtual void startElement(std::string_view localName, const Attributes& attributes) = 0;
    virtual void endElement() = 0;
    virtual void characters(std::string_view text) = 0;
};

// Pushes a file or a text through libxml2's SAX interface in blocks: no
// node is built, which makes it about twice as fast as the Reader for
// files of millions of elements. Options as for the Reader.
struct SaxCallbacks;

class SaxParser {
public:
    // After each block, with the bytes parsed so far; false stops parsing.
    using BlockHook = std::function<bool(long bytesDone)>;

    explicit SaxParser(SaxHandler& handler) : handler_(handler) {}
    SaxParser(const SaxParser&) = delete;
    SaxParser& operator=(const SaxParser&) = delete;

    // The first `length` bytes of the file, or all of it when length < 0.
    // False on an error (see error()) or when stopped.
    bool parseFile(const std::string& path, long length, const BlockHook& afterBlock);
    bool parseMemory(std::string_view text, const BlockHook& afterBlock);
    // From a callback: no further callbacks come.
    void stop();
    bool stopped() const { return stopped_; }
    const ParseError& error() const { return error_; }

    // Inputs of at least this many bytes are parsed on a second thread
    // while the handler works through what was parsed (the handler still
    // runs on the calling thread, with the same calls in the same order);
    // a negative size never. One processor: never.
    static constexpr long kThreadedFromBytes = 4L << 20;
    void setThreadedFrom(long bytes) { threadedFrom_ = bytes; }

    class Feeder;  // where the blocks come from

private:
    friend struct SaxCallbacks;
    class EventPipe;
    class EventRecorder;
    struct Outcome {
        std::string failure;  // before parsing began
        bool readFailed = false, wellFormed = true;
    };

    // The parser on the second thread: its events go to a recorder.
    SaxParser(EventRecorder& recorder, std::atomic<bool>& stopRequest);
    bool run(Feeder& feeder, const BlockHook& afterBlock);
    bool runThreaded(Feeder& feeder, const BlockHook& afterBlock);
    void playRecorded(EventPipe& pipe, const BlockHook& afterBlock, std::thread& parsing,
                      std::atomic<bool>& stopRequest);
    Outcome push(Feeder& feeder, const BlockHook& afterBlock);
    void finish(const Outcome& outcome);
    bool stopRequested() const { return stopped_ || (stopRequest_ && stopRequest_->load(std::memory_order_relaxed)); }

    SaxHandler& handler_;
    void* context_ = nullptr;
    bool stopped_ = false;
    ParseError error_;
    long threadedFrom_ = kThreadedFromBytes;
    // Between the two threads: the handler's side sets it to stop the parser's.
    std::atomic<bool>* stopRequest_ = nullptr;
    EventRecorder* recorder_ = nullptr;  // on the parser's thread: where errors go
};

// Builds a small DOM of one element and its subtree from SAX events, for
// the parts of a file that the DOM helpers above read (waypoints,
// metadata). Blank text between child elements is dropped, as the
// Reader's options drop it.
class SubtreeBuilder {
public:
    SubtreeBuilder() = default;
    ~SubtreeBuilder();
    SubtreeBuilder(const SubtreeBuilder&) = delete;
    SubtreeBuilder& operator=(const SubtreeBuilder&) = delete;

    bool building() const { return current_ != nullptr; }
    void start(std::string_view localName, const Attributes& attributes);
    void characters(std::string_view text);
    // True when the element the building began with has ended.
    bool end();
    // The finished element; valid until the next start or the builder's end.
    xmlNode* root() const { return root_; }

private:
    void clear();
    xmlNode* root_ = nullptr;
    xmlNode* current_ = nullptr;
};

// A streaming XML writer, two blanks of indentation per level.
class Writer {
public:
    explicit Writer(ByteSink& sink);
    ~Writer();
    Writer(const Writer&) = delete;
    Writer& operator=(const Writer&) = delete;

    void startDocument(const char* standalone = nullptr);
    void start(const char* elementName);
    void attribute(const char* attributeName, std::string_view value);
    void text(std::string_view value);
    void element(const char* elementName, std::string_view value);
    void end();
    // Text already in XML form, indented by the caller; see indentOf().
    void raw(std::string_view xmlText);
    // Element content already in XML form (no markup to indent around it).
    void rawContent(std::string_view xmlText);
    // Blanks before an element one level below the innermost open element.
    std::string indentOf() const { return std::string(static_cast<size_t>(depth_) * 2, ' '); }
    int depth() const { return depth_; }
    // What raw text starts with to begin a new line: the library has already
    // broken the line after an end tag.
    const char* lineBreak() const { return endLast_ ? "" : "\n"; }
    // Names taken from the tree's texts must be valid XML names.
    static bool validName(std::string_view name);
    // Closes every open element and flushes; false when anything failed.
    bool finish();
    bool ok() const { return ok_ && !file_.failed(); }

private:
    void check(int result) { ok_ = ok_ && result >= 0; }
    // Raw text is gathered and handed to the library in blocks: a file of a
    // million points would otherwise make a million library calls.
    void flushRaw();
    static constexpr size_t kRawBlock = size_t{1} << 16;
    std::string pendingRaw_;

    int depth_ = 0;
    bool rawLast_ = false;
    bool endLast_ = false;

    ByteSink& file_;
    xmlTextWriterPtr writer_ = nullptr;
    bool ok_ = true;
};

// A value as XML can hold it: only the characters XML 1.0 allows stay (no
// control characters but tab and line ends, no U+FFFE, U+FFFF, surrogates
// or bytes that are no UTF-8).
std::string xmlText(std::string_view value);
// A value as XML text: cleaned as above, &, <, >, " and CR escaped by the library.
std::string escape(std::string_view value);
// The same, appended to a text.
void appendEscaped(std::string& out, std::string_view value);

// Escaped text of a DOM node and its subtree, as written in a file.
std::string serialize(xmlDoc* doc, xmlNode* node, bool indent);

}  // namespace formats::xml
