#include "formats/xml.h"

#include <libxml/entities.h>
#include <libxml/parser.h>

#include <sys/stat.h>

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace formats::xml {

namespace {

// No network, no entity substitution, no DTD loading; long text nodes (a
// KML track's coordinates) are allowed.
constexpr int kParseOptions = XML_PARSE_NONET | XML_PARSE_NOBLANKS | XML_PARSE_HUGE | XML_PARSE_NOERROR |
                              XML_PARSE_NOWARNING | XML_PARSE_NOCDATA;

const char* c(const xmlChar* s) { return reinterpret_cast<const char*>(s); }
const xmlChar* x(const char* s) { return reinterpret_cast<const xmlChar*>(s); }

std::string trimmedMessage(const char* message) {
    std::string m = message ? message : "";
    while (!m.empty() && (m.back() == '\n' || m.back() == ' ')) m.pop_back();
    return m;
}

ParseError errorOf(xmlParserCtxtPtr ctxt) {
    ParseError e;
    const xmlError* last = xmlCtxtGetLastError(ctxt);
    if (last && last->code != XML_ERR_OK) {
        e.message = trimmedMessage(last->message);
        e.line = last->line;
        e.column = last->int2;
    }
    return e;
}

DocPtr parse(std::string_view text, const char* path, ParseError* error) {
    xmlParserCtxtPtr ctxt = xmlNewParserCtxt();
    if (!ctxt) return nullptr;
    xmlDoc* doc = path ? xmlCtxtReadFile(ctxt, path, nullptr, kParseOptions)
                       : xmlCtxtReadMemory(ctxt, text.data(), static_cast<int>(text.size()), nullptr, nullptr,
                                           kParseOptions);
    if (error) {
        *error = errorOf(ctxt);
        if (!doc && error->empty()) error->message = "the document could not be parsed";
    }
    if (doc && error && !error->empty() && doc->children) error->message.clear();  // warnings only
    xmlFreeParserCtxt(ctxt);
    return DocPtr(doc);
}

int writeToFile(void* context, const char* buffer, int len) {
    auto* file = static_cast<ByteSink*>(context);
    return file->write(std::string_view(buffer, static_cast<size_t>(len))) ? len : -1;
}

int closeNothing(void*) { return 0; }

}  // namespace

std::string ParseError::describe() const {
    return "line " + std::to_string(line) + ", column " + std::to_string(column) + ": " + message;
}

DocPtr parseMemory(std::string_view text, ParseError* error) {
    if (text.size() > static_cast<size_t>(INT32_MAX)) {
        if (error) error->message = "the text is too long";
        return nullptr;
    }
    return parse(text, nullptr, error);
}

DocPtr parseFile(const std::string& path, ParseError* error) { return parse({}, path.c_str(), error); }

std::string_view name(const xmlNode* node) { return node && node->name ? c(node->name) : ""; }

xmlNode* firstElement(const xmlNode* parent) {
    if (!parent) return nullptr;
    for (xmlNode* n = parent->children; n; n = n->next)
        if (n->type == XML_ELEMENT_NODE) return n;
    return nullptr;
}

xmlNode* nextElement(const xmlNode* node) {
    for (xmlNode* n = node ? node->next : nullptr; n; n = n->next)
        if (n->type == XML_ELEMENT_NODE) return n;
    return nullptr;
}

xmlNode* firstChildNamed(const xmlNode* parent, std::string_view childName) {
    for (xmlNode* n = firstElement(parent); n; n = nextElement(n))
        if (name(n) == childName) return n;
    return nullptr;
}

std::string text(const xmlNode* node) {
    std::string out;
    if (!node) return out;
    // Entity references are skipped, not expanded: their text never grows
    // past what the file holds.
    for (const xmlNode* n = node->children; n; n = n->next)
        if ((n->type == XML_TEXT_NODE || n->type == XML_CDATA_SECTION_NODE) && n->content) out += c(n->content);
    return out;
}

bool holdsOnlyText(const xmlNode* node) {
    if (!node || !node->children) return false;
    for (const xmlNode* n = node->children; n; n = n->next)
        if (n->type != XML_TEXT_NODE && n->type != XML_CDATA_SECTION_NODE) return false;
    return true;
}

std::string attribute(const xmlNode* node, const char* attributeName) {
    if (!node) return {};
    for (const xmlAttr* a = node->properties; a; a = a->next) {
        if (!a->name || std::strcmp(c(a->name), attributeName) != 0) continue;
        std::string value;
        for (const xmlNode* t = a->children; t; t = t->next)
            if (t->type == XML_TEXT_NODE && t->content) value += c(t->content);
        return value;
    }
    return {};
}

std::string childText(const xmlNode* parent, std::string_view childName) {
    return text(firstChildNamed(parent, childName));
}

Reader::~Reader() {
    if (reader_) xmlFreeTextReader(reader_);
    if (file_) std::fclose(file_);
}

void Reader::onError(void* self, xmlErrorPtr error) {
    auto* r = static_cast<Reader*>(self);
    if (!error || error->level < XML_ERR_ERROR || !r->error_.empty()) return;
    r->error_.message = trimmedMessage(error->message);
    r->error_.line = error->line;
    r->error_.column = error->int2;
}

bool Reader::open(const std::string& path) {
    reader_ = xmlReaderForFile(path.c_str(), nullptr, kParseOptions);
    if (!reader_) {
        error_.message = "the file could not be opened";
        return false;
    }
    xmlTextReaderSetStructuredErrorHandler(reader_, &Reader::onError, this);
    return true;
}

int Reader::readSome(void* self, char* buffer, int len) {
    auto* r = static_cast<Reader*>(self);
    size_t want = static_cast<size_t>(std::min<long>(len, r->left_));
    if (want == 0) return 0;
    size_t got = std::fread(buffer, 1, want, r->file_);
    if (got == 0 && std::ferror(r->file_)) return -1;
    r->left_ -= static_cast<long>(got);
    return static_cast<int>(got);
}

int Reader::closeFile(void*) { return 0; }  // the destructor closes it

bool Reader::open(const std::string& path, long length) {
    file_ = std::fopen(path.c_str(), "rb");
    if (!file_) {
        error_.message = "the file could not be opened";
        return false;
    }
    left_ = length;
    reader_ = xmlReaderForIO(&Reader::readSome, &Reader::closeFile, this, path.c_str(), nullptr, kParseOptions);
    if (!reader_) {
        error_.message = "the file could not be opened";
        return false;
    }
    xmlTextReaderSetStructuredErrorHandler(reader_, &Reader::onError, this);
    return true;
}

bool Reader::openMemory(std::string_view text) {
    if (text.size() > static_cast<size_t>(INT32_MAX)) {
        error_.message = "the text is too long";
        return false;
    }
    reader_ = xmlReaderForMemory(text.data(), static_cast<int>(text.size()), nullptr, nullptr, kParseOptions);
    if (!reader_) {
        error_.message = "the text could not be read";
        return false;
    }
    xmlTextReaderSetStructuredErrorHandler(reader_, &Reader::onError, this);
    return true;
}

bool Reader::read() {
    int r = xmlTextReaderRead(reader_);
    if (r < 0 && error_.empty()) error_.message = "the document is not well-formed";
    return r == 1;
}

bool Reader::skip() {
    int r = xmlTextReaderNext(reader_);
    if (r < 0 && error_.empty()) error_.message = "the document is not well-formed";
    return r == 1;
}

int Reader::depth() const { return xmlTextReaderDepth(reader_); }
int Reader::type() const { return xmlTextReaderNodeType(reader_); }
bool Reader::isEmptyElement() const { return xmlTextReaderIsEmptyElement(reader_) == 1; }

std::string_view Reader::localName() const {
    const xmlChar* n = xmlTextReaderConstLocalName(reader_);
    return n ? c(n) : "";
}

std::string Reader::attribute(const char* attributeName) const {
    xmlChar* v = xmlTextReaderGetAttribute(reader_, x(attributeName));
    if (!v) return {};
    std::string s = c(v);
    xmlFree(v);
    return s;
}

xmlNode* Reader::expand() {
    xmlNode* n = xmlTextReaderExpand(reader_);
    if (!n && error_.empty()) error_.message = "the document is not well-formed";
    return n;
}

std::string Reader::readElementText() {
    std::string text;
    if (isEmptyElement()) return text;
    int depth = this->depth();
    while (read()) {
        int t = type();
        if (t == XML_READER_TYPE_END_ELEMENT && this->depth() == depth) break;
        if ((t == XML_READER_TYPE_TEXT || t == XML_READER_TYPE_CDATA) && this->depth() == depth + 1) {
            const xmlChar* v = xmlTextReaderConstValue(reader_);
            if (v) text += c(v);
        }
    }
    return text;
}

long Reader::bytesConsumed() const { return xmlTextReaderByteConsumed(reader_); }

// --- SAX ------------------------------------------------------------------

std::string_view Attributes::name(int i) const { return c(items_[i * 5]); }

std::string Attributes::value(int i) const {
    const char* from = c(items_[i * 5 + 3]);
    const char* to = c(items_[i * 5 + 4]);
    std::string_view raw(from, static_cast<size_t>(to - from));
    if (raw.find('&') == std::string_view::npos) return std::string(raw);
    // Without entity substitution the parser hands "&" over as "&#38;" and
    // keeps other entity references as they stand; those are skipped, as
    // the DOM helpers skip entity nodes.
    std::string out;
    out.reserve(raw.size());
    for (size_t i = 0; i < raw.size();) {
        if (raw[i] != '&') {
            out += raw[i++];
            continue;
        }
        size_t semicolon = raw.find(';', i);
        if (semicolon == std::string_view::npos) {
            out.append(raw.substr(i));
            break;
        }
        if (raw.substr(i, semicolon - i + 1) == "&#38;") out += '&';
        i = semicolon + 1;
    }
    return out;
}

std::string_view Attributes::rawValue(int i) const {
    const char* from = c(items_[i * 5 + 3]);
    const char* to = c(items_[i * 5 + 4]);
    return {from, static_cast<size_t>(to - from)};
}

std::string Attributes::find(std::string_view attributeName) const {
    for (int i = 0; i < count_; ++i)
        if (name(i) == attributeName) return value(i);
    return {};
}

// Where the blocks come from: a file (up to a length) or a text in memory.
class SaxParser::Feeder {
public:
    virtual ~Feeder() = default;
    // The next block; empty at the end. False on a read error.
    virtual bool next(std::string_view& block) = 0;
    // The bytes to come in all; negative when not known.
    virtual long size() const = 0;
};

namespace {

constexpr size_t kSaxBlock = size_t{1} << 18;

class FileFeeder : public SaxParser::Feeder {
public:
    FileFeeder(std::FILE* file, long length) : file_(file), left_(length) {
        struct stat st {};
        size_ = length >= 0 ? length : fstat(fileno(file), &st) == 0 ? static_cast<long>(st.st_size) : -1;
    }
    long size() const override { return size_; }
    bool next(std::string_view& block) override {
        size_t want = left_ < 0 ? kSaxBlock : std::min<size_t>(kSaxBlock, static_cast<size_t>(left_));
        size_t got = want == 0 ? 0 : std::fread(buffer_.get(), 1, want, file_);
        if (got < want && std::ferror(file_)) return false;
        if (left_ > 0) left_ -= static_cast<long>(got);
        block = {buffer_.get(), got};
        return true;
    }

private:
    std::FILE* file_;
    long left_;
    long size_;
    std::unique_ptr<char[]> buffer_{new char[kSaxBlock]};
};

class MemoryFeeder : public SaxParser::Feeder {
public:
    explicit MemoryFeeder(std::string_view text) : text_(text), size_(static_cast<long>(text.size())) {}
    long size() const override { return size_; }
    bool next(std::string_view& block) override {
        block = text_.substr(0, kSaxBlock);
        text_.remove_prefix(block.size());
        return true;
    }

private:
    std::string_view text_;
    long size_;
};

// The default SAX2 callbacks for the document and its DTD expect the parser
// context as their first argument, so the context stays the user data and
// the parser object rides in its private field.
SaxParser& parserOf(void* context) { return *static_cast<SaxParser*>(static_cast<xmlParserCtxtPtr>(context)->_private); }

}  // namespace

// Batches of recorded events from the parser's thread to the handler's:
// a few in flight at most, so memory stays bounded however long the file.
class SaxParser::EventPipe {
public:
    // The parser's side. Waits while the handler's side is behind; once that
    // side has gone, batches are dropped.
    void push(std::string&& batch) {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return queued_.size() < kMaxQueued || closed_; });
        if (closed_) return;
        queued_.push_back(std::move(batch));
        changed_.notify_all();
    }
    void finish() {
        std::lock_guard lock(mutex_);
        finished_ = true;
        changed_.notify_all();
    }
    std::string spare() {
        std::lock_guard lock(mutex_);
        std::string batch;
        if (!spares_.empty()) {
            batch = std::move(spares_.back());
            spares_.pop_back();
        }
        batch.clear();
        return batch;
    }

    // The handler's side. False once everything has been taken.
    bool pop(std::string& batch) {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return !queued_.empty() || finished_; });
        if (queued_.empty()) return false;
        batch = std::move(queued_.front());
        queued_.pop_front();
        changed_.notify_all();
        return true;
    }
    void recycle(std::string&& batch) {
        std::lock_guard lock(mutex_);
        spares_.push_back(std::move(batch));
    }
    void close() {
        std::lock_guard lock(mutex_);
        closed_ = true;
        queued_.clear();
        changed_.notify_all();
    }

private:
    static constexpr size_t kMaxQueued = 4;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::string> queued_;
    std::vector<std::string> spares_;
    bool finished_ = false, closed_ = false;
};

namespace {

// One byte says what follows; numbers and lengths are written as they lie
// in memory (both threads are one process).
enum Event : char {
    kStart = 'S', kEnd = 'E', kText = 'C', kBlock = 'B', kError = 'R', kFinish = 'Z'
};

template <typename T>
void putNumber(std::string& out, T value) {
    out.append(reinterpret_cast<const char*>(&value), sizeof value);
}

void putText(std::string& out, std::string_view text) {
    putNumber(out, static_cast<std::uint32_t>(text.size()));
    out.append(text);
    out += '\0';  // names are read as C strings
}

template <typename T>
T takeNumber(const char*& at) {
    T value;
    std::memcpy(&value, at, sizeof value);
    at += sizeof value;
    return value;
}

std::string_view takeText(const char*& at) {
    auto size = takeNumber<std::uint32_t>(at);
    std::string_view text(at, size);
    at += size + 1;
    return text;
}

}  // namespace

// The handler of the parser's thread: writes every event into batches.
class SaxParser::EventRecorder : public SaxHandler {
public:
    EventRecorder(EventPipe& pipe, std::atomic<bool>& stopRequest)
        : pipe_(pipe), stopRequest_(stopRequest), batch_(pipe.spare()) {}
    void attach(SaxParser& parser) { parser_ = &parser; }

    void startElement(std::string_view localName, const Attributes& attributes) override {
        batch_ += kStart;
        putText(batch_, localName);
        putNumber(batch_, static_cast<std::uint32_t>(attributes.size()));
        for (int i = 0; i < attributes.size(); ++i) {
            putText(batch_, attributes.name(i));
            putText(batch_, attributes.rawValue(i));
        }
        sendWhenFull();
    }
    void endElement() override {
        batch_ += kEnd;
        sendWhenFull();
    }
    void characters(std::string_view text) override {
        batch_ += kText;
        putText(batch_, text);
        sendWhenFull();
    }
    void blockDone(long bytesDone) {
        batch_ += kBlock;
        putNumber(batch_, static_cast<std::int64_t>(bytesDone));
        send();  // the handler's side shows progress as the blocks come
    }
    void error(const ParseError& e) {
        batch_ += kError;
        putText(batch_, e.message);
        putNumber(batch_, static_cast<std::int32_t>(e.line));
        putNumber(batch_, static_cast<std::int32_t>(e.column));
    }
    void finish(const Outcome& outcome) {
        batch_ += kFinish;
        putText(batch_, outcome.failure);
        batch_ += outcome.readFailed ? '1' : '0';
        batch_ += outcome.wellFormed ? '1' : '0';
        send();
        pipe_.finish();
    }

private:
    static constexpr size_t kBatchBytes = size_t{1} << 16;
    void sendWhenFull() {
        if (batch_.size() >= kBatchBytes) send();
    }
    void send() {
        // Told to stop: parse no further than this.
        if (parser_ && stopRequest_.load(std::memory_order_relaxed)) parser_->stop();
        pipe_.push(std::move(batch_));
        batch_ = pipe_.spare();
    }

    EventPipe& pipe_;
    std::atomic<bool>& stopRequest_;
    SaxParser* parser_ = nullptr;
    std::string batch_;
};

SaxParser::SaxParser(EventRecorder& recorder, std::atomic<bool>& stopRequest)
    : handler_(recorder), stopRequest_(&stopRequest), recorder_(&recorder) {}

// Callbacks with access to the parser's handler.
struct SaxCallbacks {
    static SaxHandler& handler(void* context) { return parserOf(context).handler_; }
    static void startElement(void* context, const xmlChar* localName, const xmlChar*, const xmlChar*, int,
                             const xmlChar**, int count, int, const xmlChar** attributes) {
        handler(context).startElement(c(localName), Attributes(attributes, count));
    }
    static void endElement(void* context, const xmlChar*, const xmlChar*, const xmlChar*) {
        handler(context).endElement();
    }
    static void characters(void* context, const xmlChar* text, int length) {
        handler(context).characters({c(text), static_cast<size_t>(length)});
    }
    static void reference(void*, const xmlChar*) {}
    static void error(void* context, xmlErrorPtr e) {
        SaxParser& parser = parserOf(context);
        if (!e || e->level < XML_ERR_ERROR || !parser.error_.empty() || parser.stopped_) return;
        parser.error_.message = trimmedMessage(e->message);
        parser.error_.line = e->line;
        parser.error_.column = e->int2;
        // On the parser's thread the error takes its place among the events.
        if (parser.recorder_) parser.recorder_->error(parser.error_);
    }
};

void SaxParser::stop() {
    stopped_ = true;
    if (stopRequest_) stopRequest_->store(true);
    if (context_) xmlStopParser(static_cast<xmlParserCtxtPtr>(context_));
}

bool SaxParser::run(Feeder& feeder, const BlockHook& afterBlock) {
    if (threadedFrom_ >= 0 && feeder.size() >= threadedFrom_ && std::thread::hardware_concurrency() > 1)
        return runThreaded(feeder, afterBlock);
    finish(push(feeder, afterBlock));
    return !stopped_ && error_.empty();
}

SaxParser::Outcome SaxParser::push(Feeder& feeder, const BlockHook& afterBlock) {
    xmlSAXHandler sax;
    xmlSAXVersion(&sax, 2);
    sax.startElementNs = &SaxCallbacks::startElement;
    sax.endElementNs = &SaxCallbacks::endElement;
    sax.characters = &SaxCallbacks::characters;
    sax.cdataBlock = &SaxCallbacks::characters;
    sax.ignorableWhitespace = &SaxCallbacks::characters;
    sax.reference = &SaxCallbacks::reference;
    sax.comment = nullptr;
    sax.processingInstruction = nullptr;
    sax.serror = &SaxCallbacks::error;
    sax.warning = nullptr;
    sax.error = nullptr;

    Outcome outcome;
    std::string_view block;
    if (!feeder.next(block)) {
        outcome.failure = "the file could not be read";
        return outcome;
    }
    xmlParserCtxtPtr ctxt = xmlCreatePushParserCtxt(&sax, nullptr, nullptr, 0, nullptr);
    if (!ctxt) {
        outcome.failure = "the parser could not be set up";
        return outcome;
    }
    // Blanks are the handler's to judge: without a DOM the parser cannot.
    xmlCtxtUseOptions(ctxt, kParseOptions & ~XML_PARSE_NOBLANKS);
    ctxt->_private = this;
    context_ = ctxt;
    long done = 0;
    for (;;) {
        bool last = block.empty();
        xmlParseChunk(ctxt, block.data(), static_cast<int>(block.size()), last ? 1 : 0);
        done += static_cast<long>(block.size());
        if (stopRequested() || last || ctxt->disableSAX || ctxt->wellFormed == 0) break;
        if (afterBlock && !afterBlock(done)) {
            stopped_ = true;
            break;
        }
        if (stopRequested()) break;
        if (!feeder.next(block)) {
            outcome.readFailed = true;
            break;
        }
    }
    outcome.wellFormed = ctxt->wellFormed != 0;
    if (ctxt->myDoc) xmlFreeDoc(ctxt->myDoc);
    ctxt->myDoc = nullptr;
    xmlFreeParserCtxt(ctxt);
    context_ = nullptr;
    return outcome;
}

void SaxParser::finish(const Outcome& outcome) {
    if (stopped_ || !error_.empty()) return;
    if (!outcome.failure.empty()) error_.message = outcome.failure;
    else if (outcome.readFailed) error_.message = "the file could not be read";
    else if (!outcome.wellFormed) error_.message = "the document is not well-formed";
}

// libxml2 parses on a second thread and records its events; this thread
// plays them to the handler in the same order, with the block hook and
// the errors where they came, so the handler cannot tell the difference.
bool SaxParser::runThreaded(Feeder& feeder, const BlockHook& afterBlock) {
    xmlInitParser();  // once, before a second thread uses the library
    EventPipe pipe;
    std::atomic<bool> stopRequest{false};
    EventRecorder recorder(pipe, stopRequest);
    std::exception_ptr failure;  // an exception on the parser's thread, raised again here
    std::thread parsing([&] {
        try {
            SaxParser parser(recorder, stopRequest);
            recorder.attach(parser);
            recorder.finish(parser.push(feeder, [&recorder](long done) {
                recorder.blockDone(done);
                return true;
            }));
        } catch (...) {
            failure = std::current_exception();
            pipe.finish();
        }
    });
    stopRequest_ = &stopRequest;
    playRecorded(pipe, afterBlock, parsing, stopRequest);
    if (failure) std::rethrow_exception(failure);
    return !stopped_ && error_.empty();
}

void SaxParser::playRecorded(EventPipe& pipe, const BlockHook& afterBlock, std::thread& parsing,
                             std::atomic<bool>& stopRequest) {
    // However this side ends (stopped, finished, or an exception from the
    // handler), the parser's thread is told and waited for.
    struct Join {
        std::thread& thread;
        EventPipe& pipe;
        std::atomic<bool>& stop;
        SaxParser& owner;
        ~Join() {
            stop.store(true);
            pipe.close();
            thread.join();
            owner.stopRequest_ = nullptr;
        }
    } join{parsing, pipe, stopRequest, *this};

    std::vector<const xmlChar*> attributes;
    std::string batch;
    bool finished = false;
    while (!finished && !stopped_ && pipe.pop(batch)) {
        const char* at = batch.data();
        const char* end = at + batch.size();
        while (at < end && !stopped_) {
            switch (*at++) {
                case kStart: {
                    std::string_view name = takeText(at);
                    auto count = takeNumber<std::uint32_t>(at);
                    attributes.clear();
                    for (std::uint32_t i = 0; i < count; ++i) {
                        std::string_view attributeName = takeText(at), value = takeText(at);
                        attributes.insert(attributes.end(), {x(attributeName.data()), nullptr, nullptr,
                                                             x(value.data()), x(value.data() + value.size())});
                    }
                    handler_.startElement(name, Attributes(attributes.data(), static_cast<int>(count)));
                    break;
                }
                case kEnd: handler_.endElement(); break;
                case kText: handler_.characters(takeText(at)); break;
                case kBlock: {
                    auto done = takeNumber<std::int64_t>(at);
                    if (afterBlock && !afterBlock(static_cast<long>(done))) stopped_ = true;
                    break;
                }
                case kError: {
                    ParseError e;
                    e.message = std::string(takeText(at));
                    e.line = takeNumber<std::int32_t>(at);
                    e.column = takeNumber<std::int32_t>(at);
                    if (error_.empty()) error_ = e;
                    break;
                }
                case kFinish: {
                    Outcome outcome;
                    outcome.failure = std::string(takeText(at));
                    outcome.readFailed = *at++ == '1';
                    outcome.wellFormed = *at++ == '1';
                    finish(outcome);
                    finished = true;
                    break;
                }
                default: at = end; break;  // cannot happen: both sides are this file
            }
        }
        pipe.recycle(std::move(batch));
    }
}

bool SaxParser::parseFile(const std::string& path, long length, const BlockHook& afterBlock) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        error_.message = "the file could not be opened";
        return false;
    }
    FileFeeder feeder(file, length);
    bool ok = run(feeder, afterBlock);
    std::fclose(file);
    return ok;
}

bool SaxParser::parseMemory(std::string_view text, const BlockHook& afterBlock) {
    MemoryFeeder feeder(text);
    return run(feeder, afterBlock);
}

SubtreeBuilder::~SubtreeBuilder() { clear(); }

void SubtreeBuilder::clear() {
    if (root_) xmlFreeNode(root_);
    root_ = current_ = nullptr;
}

void SubtreeBuilder::start(std::string_view localName, const Attributes& attributes) {
    if (!current_) clear();
    std::string n(localName);
    xmlNode* node = xmlNewNode(nullptr, x(n.c_str()));
    for (int i = 0; i < attributes.size(); ++i) {
        std::string an(attributes.name(i)), value = attributes.value(i);
        xmlNewProp(node, x(an.c_str()), x(value.c_str()));
    }
    if (current_)
        xmlAddChild(current_, node);
    else
        root_ = node;
    current_ = node;
}

void SubtreeBuilder::characters(std::string_view text) {
    if (!current_ || text.empty()) return;
    xmlNode* last = current_->last;
    if (last && last->type == XML_TEXT_NODE)
        xmlNodeAddContentLen(last, x(text.data()), static_cast<int>(text.size()));
    else
        xmlAddChild(current_, xmlNewTextLen(x(text.data()), static_cast<int>(text.size())));
}

namespace {

bool isBlank(const xmlNode* n) {
    for (const xmlChar* p = n->content; p && *p; ++p)
        if (*p != ' ' && *p != '\t' && *p != '\n' && *p != '\r') return false;
    return true;
}

// Blank text next to child elements goes, unless text came first: that is
// mixed content, where blanks count.
void dropBlanks(xmlNode* element) {
    bool hasElement = false;
    for (xmlNode* n = element->children; n; n = n->next) hasElement = hasElement || n->type == XML_ELEMENT_NODE;
    if (!hasElement) return;
    for (xmlNode* n = element->children; n;) {
        xmlNode* next = n->next;
        bool textBefore = (element->children->type == XML_TEXT_NODE && element->children != n) ||
                          (n->prev && n->prev->type == XML_TEXT_NODE);
        if (n->type == XML_TEXT_NODE && isBlank(n) && !textBefore) {
            xmlUnlinkNode(n);
            xmlFreeNode(n);
        }
        n = next;
    }
}

}  // namespace

bool SubtreeBuilder::end() {
    if (!current_) return false;
    dropBlanks(current_);
    current_ = current_->parent;
    return current_ == nullptr;
}

Writer::Writer(ByteSink& file) : file_(file) {
    xmlOutputBufferPtr out = xmlOutputBufferCreateIO(&writeToFile, &closeNothing, &file_, nullptr);
    writer_ = out ? xmlNewTextWriter(out) : nullptr;
    ok_ = writer_ != nullptr;
    if (writer_) {
        check(xmlTextWriterSetIndent(writer_, 1));
        check(xmlTextWriterSetIndentString(writer_, x("  ")));
    }
}

Writer::~Writer() {
    if (writer_) xmlFreeTextWriter(writer_);
}

void Writer::flushRaw() {
    if (pendingRaw_.empty()) return;
    if (writer_) {
        // The library closes a start tag still open and hands over what it
        // holds; then the block goes to the file without another copy.
        check(xmlTextWriterWriteRawLen(writer_, x(""), 0));
        check(xmlTextWriterFlush(writer_));
        if (!file_.write(pendingRaw_)) ok_ = false;
    }
    pendingRaw_.clear();
}

void Writer::startDocument(const char* standalone) {
    flushRaw();
    if (writer_) check(xmlTextWriterStartDocument(writer_, "1.0", "UTF-8", standalone));
}

void Writer::start(const char* elementName) {
    flushRaw();
    // After raw content the library indents the next tag but does not break the line.
    if (rawLast_ && writer_) check(xmlTextWriterWriteRawLen(writer_, x("\n"), 1));
    if (writer_) check(xmlTextWriterStartElement(writer_, x(elementName)));
    ++depth_;
    rawLast_ = endLast_ = false;
}

void Writer::attribute(const char* attributeName, std::string_view value) {
    flushRaw();
    if (writer_) check(xmlTextWriterWriteAttribute(writer_, x(attributeName), x(xmlText(value).c_str())));
}

void Writer::text(std::string_view value) {
    flushRaw();
    if (writer_) check(xmlTextWriterWriteString(writer_, x(xmlText(value).c_str())));
    rawLast_ = endLast_ = false;
}

void Writer::raw(std::string_view xmlText) {
    pendingRaw_.append(xmlText);
    if (pendingRaw_.size() >= kRawBlock) flushRaw();
    rawLast_ = true;
    endLast_ = false;
}

void Writer::rawContent(std::string_view xmlText) {
    pendingRaw_.append(xmlText);
    if (pendingRaw_.size() >= kRawBlock) flushRaw();
    rawLast_ = endLast_ = false;
}

namespace {

// Bytes of a UTF-8 sequence that XML 1.0 allows at value[i]: 0 when the
// character (or the byte) has no place in an XML document. XML takes tab,
// line ends, U+0020..U+D7FF, U+E000..U+FFFD and U+10000..U+10FFFF.
size_t allowedAt(std::string_view value, size_t i) {
    auto b = [&](size_t k) { return static_cast<unsigned char>(value[k]); };
    unsigned char lead = b(i);
    if (lead < 0x80) return lead >= 0x20 || lead == '\t' || lead == '\n' || lead == '\r' ? 1 : 0;
    size_t n = (lead & 0xE0) == 0xC0 ? 2 : (lead & 0xF0) == 0xE0 ? 3 : (lead & 0xF8) == 0xF0 ? 4 : 0;
    if (n == 0 || i + n > value.size()) return 0;
    char32_t cp = lead & (0x7F >> n);
    for (size_t k = 1; k < n; ++k) {
        if ((b(i + k) & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (b(i + k) & 0x3F);
    }
    static constexpr char32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kLeast[n] || cp > 0x10FFFF) return 0;           // overlong or past Unicode
    if ((cp >= 0xD800 && cp <= 0xDFFF) || cp == 0xFFFE || cp == 0xFFFF) return 0;
    return n;
}

// True when every character may stay and none of &, <, >, ", CR needs escaping.
bool plainText(std::string_view value) {
    for (size_t i = 0; i < value.size();) {
        auto ch = static_cast<unsigned char>(value[i]);
        if (ch < 0x80) {
            if (ch < 0x20 || ch == '&' || ch == '<' || ch == '>' || ch == '"') return false;
            ++i;
            continue;
        }
        size_t n = allowedAt(value, i);
        if (n == 0) return false;
        i += n;
    }
    return true;
}

}  // namespace

std::string xmlText(std::string_view value) {
    std::string out;
    out.reserve(value.size());
    for (size_t i = 0; i < value.size();) {
        size_t n = allowedAt(value, i);
        if (n == 0) {
            ++i;  // a byte that is no allowed character is left out
            continue;
        }
        out.append(value.substr(i, n));
        i += n;
    }
    return out;
}

void appendEscaped(std::string& out, std::string_view value) {
    if (plainText(value))
        out.append(value);
    else
        out += escape(value);
}

std::string escape(std::string_view raw) {
    std::string cleaned = xmlText(raw);
    if (cleaned.find_first_of("&<>\"\r") == std::string::npos) return cleaned;
    xmlChar* e = xmlEncodeSpecialChars(nullptr, x(cleaned.c_str()));
    std::string s = e ? c(e) : "";
    xmlFree(e);
    return s;
}

void Writer::element(const char* elementName, std::string_view value) {
    start(elementName);
    text(value);
    end();
}

void Writer::end() {
    --depth_;
    // After raw content the library does not indent the end tag itself.
    if (rawLast_) raw("\n" + indentOf());
    flushRaw();
    if (writer_) check(xmlTextWriterEndElement(writer_));
    rawLast_ = false;
    endLast_ = true;
}

bool Writer::validName(std::string_view n) {
    if (n.empty() || n.size() >= 1024) return false;
    // Plain ASCII names ("ele", "gpxx:Depth") are decided here; the library
    // knows the rest of Unicode.
    auto letter = [](char ch) { return (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || ch == '_'; };
    bool plain = letter(n[0]);
    for (size_t i = 1; plain && i < n.size(); ++i)
        plain = letter(n[i]) || (n[i] >= '0' && n[i] <= '9') || n[i] == '-' || n[i] == '.' || n[i] == ':';
    return plain || xmlValidateName(x(std::string(n).c_str()), 0) == 0;
}

bool Writer::finish() {
    if (!writer_) return false;
    while (depth_ > 0) end();
    flushRaw();
    check(xmlTextWriterEndDocument(writer_));
    check(xmlTextWriterFlush(writer_));
    xmlFreeTextWriter(writer_);
    writer_ = nullptr;
    return ok();
}

std::string serialize(xmlDoc* doc, xmlNode* node, bool indent) {
    xmlBufferPtr buf = xmlBufferCreate();
    xmlNodeDump(buf, doc, node, 0, indent ? 1 : 0);
    std::string s(c(xmlBufferContent(buf)), static_cast<size_t>(xmlBufferLength(buf)));
    xmlBufferFree(buf);
    return s;
}

}  // namespace formats::xml
