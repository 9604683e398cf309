#include "nmea/line_framer.h"

#include <gtest/gtest.h>

#include <vector>

using nmea::LineFramer;

namespace {

struct Framed {
    std::vector<std::string> lines;
    int overlong = 0;
};

Framed frame(const std::vector<std::string>& chunks, LineFramer& f) {
    Framed out;
    for (const auto& c : chunks)
        f.feed(c, [&](std::string&& l) { out.lines.push_back(std::move(l)); }, [&] { ++out.overlong; });
    return out;
}

}  // namespace

TEST(LineFramer, CarriageReturnOrLineFeedEndsLines) {
    struct Row {
        const char* name;
        std::vector<std::string> chunks;
        std::vector<std::string> lines;
        size_t pending;
    } rows[] = {
        {"CR LF", {"$GPGSA,A,3*39\r\n"}, {"$GPGSA,A,3*39"}, 0},
        {"LF alone ends", {"a\nb\n"}, {"a", "b"}, 0},
        {"CR alone ends", {"a\rb\r"}, {"a", "b"}, 0},
        {"CR LF split over reads is one end", {"a\r", "\nb\r", "\n"}, {"a", "b"}, 0},
        {"CR LF CR LF", {"a\r\n\r\nb\r\n"}, {"a", "", "b"}, 0},
        {"two LFs give an empty line", {"a\n\nb\n"}, {"a", "", "b"}, 0},
        {"two CRs give an empty line", {"a\r\rb\r"}, {"a", "", "b"}, 0},
        {"split over reads", {"$GP", "RMC,1", "\r", "\n$GP"}, {"$GPRMC,1"}, 3},
        {"no end yet", {"$GPRMC"}, {}, 6},
        {"NUL kept", {std::string("a\0b\r", 4)}, {std::string("a\0b", 3)}, 0},
        {"LF CR is two ends", {"x\n\ry\r"}, {"x", "", "y"}, 0},
    };
    for (const auto& r : rows) {
        LineFramer f;
        Framed out = frame(r.chunks, f);
        EXPECT_EQ(out.lines, r.lines) << r.name;
        EXPECT_EQ(f.pending(), r.pending) << r.name;
        EXPECT_EQ(out.overlong, 0) << r.name;
    }
}

TEST(LineFramer, OverlongLineIsDroppedWholeAndReceivingGoesOn) {
    LineFramer f;
    std::string exact(LineFramer::kMaxLineBytes, 'x');
    Framed a = frame({exact + "\r"}, f);  // exactly at the limit: kept
    ASSERT_EQ(a.lines.size(), 1u);
    EXPECT_EQ(a.lines[0].size(), LineFramer::kMaxLineBytes);

    // 10 MB without a carriage return, in 64 KiB reads: one report, bounded memory.
    std::string chunk(65536, 'y');
    Framed b;
    for (int i = 0; i < 160; ++i) {
        Framed part = frame({chunk}, f);
        b.overlong += part.overlong;
        EXPECT_TRUE(part.lines.empty());
        EXPECT_LE(f.pending(), LineFramer::kMaxLineBytes);
    }
    EXPECT_EQ(b.overlong, 1);
    Framed c = frame({"tail of the long one\r$GPGSA,A,3*39\r"}, f);
    EXPECT_EQ(c.lines, std::vector<std::string>{"$GPGSA,A,3*39"});
    EXPECT_EQ(c.overlong, 0);

    Framed d = frame({std::string(LineFramer::kMaxLineBytes + 1, 'z') + "\rok\r"}, f);
    EXPECT_EQ(d.overlong, 1);
    EXPECT_EQ(d.lines, std::vector<std::string>{"ok"});
}
