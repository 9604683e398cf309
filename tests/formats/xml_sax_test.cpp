#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <unistd.h>
#include <stdexcept>
#include <string>
#include <vector>

#include "formats/xml.h"

using namespace formats;

namespace {

// Writes down every call a handler gets, the block hook's included, and can
// stop the parser, refuse a block or throw at a chosen point.
class EventLog : public xml::SaxHandler {
public:
    std::vector<std::string> events;
    xml::SaxParser* parser = nullptr;
    size_t stopAt = SIZE_MAX;       // stop() when this many events are logged
    size_t throwAt = SIZE_MAX;      // throw then
    int refuseBlock = -1;           // the hook says false at this block (0-based)
    int blocks = 0;

    void startElement(std::string_view name, const xml::Attributes& attributes) override {
        std::string e = "S " + std::string(name);
        for (int i = 0; i < attributes.size(); ++i)
            e += " " + std::string(attributes.name(i)) + "=" + attributes.value(i) + "|" +
                 std::string(attributes.rawValue(i));
        log(e);
    }
    void endElement() override { log("E"); }
    void characters(std::string_view text) override { log("C " + std::string(text)); }
    bool afterBlock(long done) {
        log("B " + std::to_string(done));
        return blocks++ != refuseBlock;
    }

private:
    void log(std::string e) {
        events.push_back(std::move(e));
        if (events.size() == throwAt) throw std::runtime_error("handler failed");
        if (events.size() == stopAt && parser) parser->stop();
    }
};

struct Outcome {
    std::vector<std::string> events;
    bool ok = false, stopped = false;
    std::string error;
    int line = 0, column = 0;
    std::string thrown;
};

// One parse of the text (or of the file at `path`), on one thread or two.
Outcome parse(const std::string& text, bool threaded, EventLog settings = {}, const std::string& path = "") {
    EventLog log = settings;
    xml::SaxParser parser(log);
    log.parser = &parser;
    parser.setThreadedFrom(threaded ? 0 : -1);
    Outcome r;
    try {
        auto hook = [&log](long done) { return log.afterBlock(done); };
        r.ok = path.empty() ? parser.parseMemory(text, hook) : parser.parseFile(path, -1, hook);
    } catch (const std::exception& e) {
        r.thrown = e.what();
    }
    r.events = log.events;
    r.stopped = parser.stopped();
    r.error = parser.error().message;
    r.line = parser.error().line;
    r.column = parser.error().column;
    return r;
}

void expectSame(const Outcome& direct, const Outcome& threaded, const std::string& what) {
    EXPECT_EQ(direct.ok, threaded.ok) << what;
    EXPECT_EQ(direct.stopped, threaded.stopped) << what;
    EXPECT_EQ(direct.error, threaded.error) << what;
    EXPECT_EQ(direct.line, threaded.line) << what;
    EXPECT_EQ(direct.column, threaded.column) << what;
    EXPECT_EQ(direct.thrown, threaded.thrown) << what;
    ASSERT_EQ(direct.events.size(), threaded.events.size()) << what;
    for (size_t i = 0; i < direct.events.size(); ++i) ASSERT_EQ(direct.events[i], threaded.events[i]) << what << " #" << i;
}

// A track long enough for several of the parser's blocks, with the odd
// things a file may hold: references in attributes and text, CDATA,
// comments, blanks, an attribute-less element and namespaces.
std::string bigGpx(int points) {
    std::string s = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                    "<gpx version=\"1.1\" creator=\"A &amp; B &#38; C\" xmlns=\"http://www.topografix.com/GPX/1/1\" "
                    "xmlns:x=\"urn:x\">\n<metadata><name>Tom &amp; Jerry &lt;3</name><desc><![CDATA[a <b> c]]></desc>"
                    "</metadata>\n<!-- a comment -->\n<wpt lat=\"52.1\" lon=\"5.1\"><name>caf&#233; &gt; 1</name><x:ext a=\"1\"/></wpt>\n"
                    "<trk><name>T</name><trkseg>\n";
    char line[160];
    for (int i = 0; i < points; ++i) {
        std::snprintf(line, sizeof line,
                      "  <trkpt lat=\"%.7f\" lon=\"%.7f\"><ele>%d.5</ele><time>2026-05-01T06:%02d:%02dZ</time></trkpt>\n",
                      51.4 + i * 1e-5, 5.1 + i * 1e-5, i % 300, i / 60 % 60, i % 60);
        s += line;
    }
    return s + "</trkseg></trk>\n</gpx>\n";
}

}  // namespace

TEST(SaxThreaded, TheHandlerGetsTheSameCallsAsOnOneThread) {
    std::string text = bigGpx(12000);  // about a megabyte: several blocks
    ASSERT_GT(text.size(), 3u << 18);
    Outcome direct = parse(text, false), threaded = parse(text, true);
    EXPECT_TRUE(direct.ok);
    EXPECT_GT(direct.events.size(), 12000u * 9);
    expectSame(direct, threaded, "whole file");

    // Broken in several ways and places: cut short, a bad byte, a tag that
    // does not close, text after the end.
    std::vector<std::pair<std::string, std::string>> broken = {
        {"cut in a block", text.substr(0, 400000)},
        {"cut in a name", text.substr(0, text.find("<ele>", 600000) + 3)},
        {"bad byte", text.substr(0, 700000) + "\x01" + text.substr(700000)},
        {"unclosed", text.substr(0, 300000) + "<trkpt lat=\"1\" lon=\"2\"></ele>" + text.substr(300000)},
        {"after the end", text + "<gpx/>"},
        {"empty", ""},
        {"not xml", "just text"},
    };
    for (const auto& [what, input] : broken) {
        Outcome d = parse(input, false), t = parse(input, true);
        EXPECT_FALSE(d.ok) << what;
        EXPECT_FALSE(d.error.empty()) << what;
        expectSame(d, t, what);
    }
}

TEST(SaxThreaded, StoppingRefusingAndThrowingEndTheSameWay) {
    std::string text = bigGpx(8000);
    for (size_t at : {1ul, 2ul, 50ul, 4000ul, 30000ul, 60000ul}) {
        EventLog stopping;
        stopping.stopAt = at;
        Outcome d = parse(text, false, stopping), t = parse(text, true, stopping);
        EXPECT_TRUE(d.stopped) << at;
        EXPECT_EQ(d.events.size(), at);
        expectSame(d, t, "stop at " + std::to_string(at));

        EventLog throwing;
        throwing.throwAt = at;
        d = parse(text, false, throwing);
        t = parse(text, true, throwing);
        EXPECT_EQ(d.thrown, "handler failed") << at;
        expectSame(d, t, "throw at " + std::to_string(at));
    }
    for (int block : {0, 1, 2}) {
        EventLog refusing;
        refusing.refuseBlock = block;
        Outcome d = parse(text, false, refusing), t = parse(text, true, refusing);
        EXPECT_TRUE(d.stopped);
        EXPECT_FALSE(d.ok);
        expectSame(d, t, "refuse block " + std::to_string(block));
    }
}

TEST(SaxThreaded, FilesAsWellAsTexts) {
    std::string text = bigGpx(6000);
    auto path = std::filesystem::temp_directory_path() / ("pathkeep-sax-" + std::to_string(::getpid()) + ".gpx");
    std::ofstream(path, std::ios::binary) << text;
    Outcome d = parse("", false, {}, path.string()), t = parse("", true, {}, path.string());
    EXPECT_TRUE(d.ok);
    expectSame(d, t, "file");
    expectSame(d, parse(text, true), "file and text");
    std::filesystem::remove(path);
    Outcome missing = parse("", true, {}, path.string());
    EXPECT_FALSE(missing.ok);
    EXPECT_EQ(missing.error, "the file could not be opened");
}
