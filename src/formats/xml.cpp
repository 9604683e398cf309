#include "formats/xml.h"

#include <libxml/entities.h>
#include <libxml/parser.h>

#include <algorithm>
#include <cstring>

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

void Writer::startDocument(const char* standalone) {
    if (writer_) check(xmlTextWriterStartDocument(writer_, "1.0", "UTF-8", standalone));
}

void Writer::start(const char* elementName) {
    // After raw content the library indents the next tag but does not break the line.
    if (rawLast_ && writer_) check(xmlTextWriterWriteRawLen(writer_, x("\n"), 1));
    if (writer_) check(xmlTextWriterStartElement(writer_, x(elementName)));
    ++depth_;
    rawLast_ = endLast_ = false;
}

void Writer::attribute(const char* attributeName, std::string_view value) {
    if (writer_) check(xmlTextWriterWriteAttribute(writer_, x(attributeName), x(xmlText(value).c_str())));
}

void Writer::text(std::string_view value) {
    if (writer_) check(xmlTextWriterWriteString(writer_, x(xmlText(value).c_str())));
    rawLast_ = endLast_ = false;
}

void Writer::raw(std::string_view xmlText) {
    if (writer_) check(xmlTextWriterWriteRawLen(writer_, x(xmlText.data()), static_cast<int>(xmlText.size())));
    rawLast_ = true;
    endLast_ = false;
}

void Writer::rawContent(std::string_view xmlText) {
    if (writer_) check(xmlTextWriterWriteRawLen(writer_, x(xmlText.data()), static_cast<int>(xmlText.size())));
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
