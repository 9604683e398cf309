// The GPX reader's parser on two threads: for any input, the handler gets
// exactly the calls, errors and result it gets on one thread. The input's
// first byte chooses where the handler stops the parser (0: never).

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "formats/xml.h"

namespace {

class Log : public formats::xml::SaxHandler {
public:
    std::vector<std::string> events;
    formats::xml::SaxParser* parser = nullptr;
    size_t stopAt = 0;
    void startElement(std::string_view name, const formats::xml::Attributes& attributes) override {
        std::string e = "S" + std::string(name);
        for (int i = 0; i < attributes.size(); ++i)
            e += " " + std::string(attributes.name(i)) + "=" + attributes.value(i);
        add(std::move(e));
    }
    void endElement() override { add("E"); }
    void characters(std::string_view text) override { add("C" + std::string(text)); }
    void add(std::string e) {
        events.push_back(std::move(e));
        if (events.size() == stopAt) parser->stop();
    }
};

struct Result {
    std::vector<std::string> events;
    bool ok;
    std::string error;
    int line, column;
    bool operator==(const Result&) const = default;
};

Result parse(std::string_view text, size_t stopAt, bool threaded) {
    Log log;
    formats::xml::SaxParser parser(log);
    log.parser = &parser;
    log.stopAt = stopAt;
    parser.setThreadedFrom(threaded ? 0 : -1);
    bool ok = parser.parseMemory(text, [&log](long done) {
        log.add("B" + std::to_string(done));
        return true;
    });
    return {log.events, ok, parser.error().message, parser.error().line, parser.error().column};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    size_t stopAt = data[0] % 16;
    std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
    if (!(parse(text, stopAt, false) == parse(text, stopAt, true))) std::abort();
    return 0;
}
