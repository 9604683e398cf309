// Frames and the byte helpers. Expected frames are worked by hand from the
// frame layout: checksum = (0 - (id + size + data)) mod 256, and every 0x10
// among size, data and checksum doubled.

#include <gtest/gtest.h>

#include <random>

#include "garmin/bytes.h"
#include "garmin/framing.h"

using namespace garmin;

namespace {

// "10 FE 00" -> the bytes 10 FE 00.
Bytes hex(const char* text) {
    Bytes out;
    for (const char* c = text; *c;) {
        if (*c == ' ') {
            ++c;
            continue;
        }
        out.push_back(static_cast<std::uint8_t>(std::stoi(std::string(c, 2), nullptr, 16)));
        c += 2;
    }
    return out;
}

// The first byte is the id, the rest the data.
Packet packet(const char* text) {
    Bytes b = hex(text);
    return Packet{b.empty() ? std::uint8_t(0) : b[0], Bytes(b.begin() + (b.empty() ? 0 : 1), b.end())};
}

struct EncodeRow {
    const char* name;
    const char* packet;
    const char* frame;
};

constexpr EncodeRow kEncodeRows[] = {
    {"product request", "FE", "10 FE 00 02 10 03"},
    {"ack of a product request", "06 FE 00", "10 06 02 FE 00 FA 10 03"},
    {"command: transfer waypoints", "0A 07 00", "10 0A 02 07 00 ED 10 03"},
    {"data byte 0x10 doubled", "0A 10 00", "10 0A 02 10 10 00 E4 10 03"},
    {"checksum 0x10 doubled", "0A E4 00", "10 0A 02 E4 00 10 10 10 03"},
    {"data holding DLE ETX", "0A 10 03", "10 0A 02 10 10 03 E1 10 03"},
    {"id 0x10 is not doubled", "10", "10 10 00 F0 10 03"},
};

TEST(GarminFrame, EncodeTable) {
    for (const auto& row : kEncodeRows) EXPECT_EQ(EncodeFrame(packet(row.packet)), hex(row.frame)) << row.name;
}

TEST(GarminFrame, SizeByteSixteenIsDoubled) {
    Packet p{0x01, Bytes(16, 0x00)};  // 1 + 16 = 17, checksum 0xEF
    Bytes frame = EncodeFrame(p);
    ASSERT_GE(frame.size(), 4u);
    EXPECT_EQ(frame[2], 0x10);
    EXPECT_EQ(frame[3], 0x10);
    EXPECT_EQ(frame[frame.size() - 3], 0xEF);
    EXPECT_EQ(frame.size(), 2 + 2 + 16 + 1 + 2u);
}

using E = FrameReader::Event;

struct DecodeRow {
    const char* name;
    const char* input;
    const char* events;  // G good, B bad
    const char* last;    // the last good packet, id first
};

#define ACK_FRAME "10 06 02 FE 00 FA 10 03"
constexpr DecodeRow kDecodeRows[] = {
    {"plain ack", ACK_FRAME, "G", "06 FE 00"},
    {"leading garbage is skipped", "FF 00 41 " ACK_FRAME, "G", "06 FE 00"},
    {"tail of a missed frame first", "07 00 10 03 " ACK_FRAME, "G", "06 FE 00"},
    {"DLE run before the id", "10 10 " ACK_FRAME, "G", "06 FE 00"},
    {"stuffed DLE ETX inside data", "10 0A 02 10 10 03 E1 10 03", "G", "0A 10 03"},
    {"stuffed checksum", "10 0A 02 E4 00 10 10 10 03", "G", "0A E4 00"},
    {"bad checksum", "10 0A 02 07 00 EE 10 03", "B", ""},
    {"size byte disagrees", "10 0A 03 07 00 EC 10 03", "B", ""},
    {"too short to be a frame", "10 0A 02 10 03", "B", ""},
    {"cut off by the next frame", "10 0A 02 07 " ACK_FRAME, "BG", "06 FE 00"},
    {"two frames back to back", ACK_FRAME " 10 0A 02 07 00 ED 10 03", "GG", "0A 07 00"},
    {"a lone DLE ETX", "10 03", "", ""},
    {"bad then good", "10 0A 02 07 00 00 10 03 " ACK_FRAME, "BG", "06 FE 00"},
};

const Packet kAckFE{0x06, {0xFE, 0x00}};
const Bytes kAckFrame = hex(ACK_FRAME);

TEST(GarminFrame, DecodeTable) {
    for (const auto& row : kDecodeRows) {
        FrameReader r;
        std::string events;
        Packet last;
        for (std::uint8_t b : hex(row.input)) {
            E e = r.feed(b);
            if (e == E::None) continue;
            events += e == E::Good ? "G" : "B";
            if (e == E::Good) {
                last = r.packet();
                EXPECT_EQ(r.lastFrame(), EncodeFrame(last)) << row.name;
            }
        }
        EXPECT_EQ(events, row.events) << row.name;
        if (*row.last) {
            EXPECT_EQ(last, packet(row.last)) << row.name;
        }
        EXPECT_TRUE(r.empty()) << row.name;
    }
}

TEST(GarminFrame, BadFrameNamesItsIdAndTheChecksumItNeeded) {
    FrameReader r;
    E last = E::None;
    for (std::uint8_t b : Bytes{0x10, 0x0A, 0x02, 0x07, 0x00, 0xEE, 0x10, 0x03}) last = r.feed(b);
    EXPECT_EQ(last, E::Bad);
    EXPECT_EQ(r.badId(), 0x0A);
    EXPECT_EQ(r.expectedChecksum(), 0xED);
}

TEST(GarminFrame, OverlongInputIsDroppedAndTheNextFrameStillReads) {
    FrameReader r;
    Bytes input{0x10, 0x22};
    input.insert(input.end(), 400, 0x01);  // more than any size byte can announce
    input.insert(input.end(), {0x10, 0x03});
    input.insert(input.end(), kAckFrame.begin(), kAckFrame.end());
    std::vector<E> events;
    for (std::uint8_t b : input) {
        E e = r.feed(b);
        EXPECT_LE(r.RxBuf().size(), 2 * 258 + 4u);
        if (e != E::None) events.push_back(e);
    }
    EXPECT_EQ(events, std::vector<E>{E::Good});
    EXPECT_EQ(r.packet(), kAckFE);
}

TEST(GarminFrame, AnyPacketSurvivesEncodingAndDecoding) {
    std::mt19937 random(7);
    for (int round = 0; round < 2000; ++round) {
        Packet p;
        p.id = static_cast<std::uint8_t>(random() % 256);
        size_t size = random() % 256;
        // Many DLEs and ETXs, the bytes that framing must get right.
        for (size_t i = 0; i < size; ++i) {
            unsigned pick = random() % 4;
            p.data.push_back(pick == 0 ? 0x10 : pick == 1 ? 0x03 : static_cast<std::uint8_t>(random() % 256));
        }
        if (p.id == 0x10 || p.id == 0x03) continue;  // never valid ids on this link
        FrameReader r;
        int good = 0;
        for (std::uint8_t b : EncodeFrame(p)) {
            E e = r.feed(b);
            ASSERT_NE(e, E::Bad) << "round " << round;
            if (e == E::Good) ++good;
        }
        ASSERT_EQ(good, 1) << "round " << round;
        ASSERT_EQ(r.packet(), p) << "round " << round;
    }
}

TEST(GarminBytes, ShortRecordsReadMissingBytesAsZero) {
    Bytes data{0x34, 0x12, 0x78};
    ByteReader r(data);
    EXPECT_EQ(r.u16(0), 0x1234);
    EXPECT_EQ(r.u32(0), 0x00781234u);  // the fourth byte is missing
    EXPECT_EQ(r.u32(2), 0x00000078u);
    EXPECT_EQ(r.u32(100), 0u);
    EXPECT_EQ(r.s32(0), 0x00781234);
}

TEST(GarminBytes, LittleEndianWritesAndFloats) {
    Bytes out;
    ByteWriter(out).u16(0x1234).u32(0xA1B2C3D4).f32(12.5f).s32(-1);
    // 12.5f is 0x41480000: sign 0, exponent 130, mantissa .5625
    EXPECT_EQ(out, (Bytes{0x34, 0x12, 0xD4, 0xC3, 0xB2, 0xA1, 0x00, 0x00, 0x48, 0x41, 0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_FLOAT_EQ(ByteReader(out).f32(6), 12.5f);
}

TEST(GarminBytes, TextsNeverReadPastThePacket) {
    Bytes data{'A', 'B', 0, 'C', 'D'};  // the second text has no zero
    ByteReader r(data);
    size_t next = 0;
    EXPECT_EQ(r.text(0, &next), "AB");
    EXPECT_EQ(next, 3u);
    EXPECT_EQ(r.text(next, &next), "CD");
    EXPECT_EQ(next, 5u);
    EXPECT_EQ(r.text(next, &next), "");
    EXPECT_EQ(r.text(40), "");
    EXPECT_EQ(r.fixed(3, 20), "CD");
}

TEST(GarminBytes, LogTexts) {
    Bytes b{0x10, 0xFE, 0x41};
    EXPECT_EQ(StrToHex(b), "10 FE 41 ");
    // A byte past ASCII is its Latin-1 character, written as UTF-8.
    EXPECT_EQ(StrToString(b), std::string("   ") + "  \xC3\xBE" + "  A");
}

}  // namespace
