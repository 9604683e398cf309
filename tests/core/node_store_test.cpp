#include "core/node_store.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <optional>
#include <random>
#include <thread>
#include <vector>

#include "core/block_reserve.h"
#include "host/fake/fake_host.h"

using namespace core;

// The store packs texts in several ways; every text must read back exactly.
TEST(NodeStore, EveryTextReadsBackAsStored) {
    const std::string texts[] = {
        "lat = 51.1234567", "lon = -0.1234567", "lat = ", "ele = 1e5", "ele = -12.5",
        "time = 2008-03-01T14:05:09.000+01:00", "time = 2008-03-01T14:05:09.000Z",
        "time = 2008-03-01T14:05:09.000-05:30", "time = 2008-13-45T99:99:99.999Z", "time = 2008-03-01T14:05:09Z",
        "time = 9999-12-31T23:59:59.999+14:00", "trkpt (1)", "trkpt (4294967295)", "trkpt (0012)", "trkpt (5",
        "trkpt ()", "number = 0", "number = 007", "number = 123456789012", "name = Ünïcode ✓", "name = ",
        "sym = Flag, Blue", "wpt (a)", "metadata", "trkseg", "", "minlat = 51.5", "desc = <&>",
        std::string("cmt = nul\0inside", 16), std::string(300, '1'), "lat = " + std::string(300, '7'),
        "name = " + std::string(3'000'000, 'n'), "lat = 51.5"};
    NodeStore s;
    std::vector<NodeId> ids;
    for (const auto& t : texts) ids.push_back(s.append(kRootNode, t, 4));
    for (size_t i = 0; i < ids.size(); ++i) EXPECT_EQ(s.text(ids[i]), texts[i]) << i;
    EXPECT_EQ(s.childCount(kRootNode), ids.size());
}

// Small stores start with small blocks that double as they fill; texts and
// links must survive every step, a text of its own chunk in between and the
// move to full-size chunks included.
TEST(NodeStore, GrowingFromASmallStoreKeepsEverything) {
    NodeStore s;
    std::vector<NodeId> ids;
    std::vector<std::string> texts;
    NodeId parent = kRootNode;
    for (int i = 0; i < 300000; ++i) {
        std::string t;
        switch (i % 5) {
            case 0: t = "lat = 51." + std::to_string(i); break;
            case 1: t = "name = point " + std::to_string(i) + (i % 7 == 0 ? std::string(40, 'x') : ""); break;
            case 2: t = "time = 2008-03-01T14:05:" + std::to_string(10 + i % 50) + ".000Z"; break;
            case 3: t = "trkpt (" + std::to_string(i) + ")"; break;
            default: t = i == 4 || i == 123459 ? "desc = " + std::string(700000, 'd') : "ele = -" + std::to_string(i);
        }
        if (i % 1000 == 0) parent = kRootNode;
        ids.push_back(s.append(parent, t, i % 5));
        texts.push_back(std::move(t));
        if (i % 1000 == 0) parent = ids.back();
    }
    for (size_t i = 0; i < ids.size(); ++i) {
        ASSERT_EQ(s.text(ids[i]), texts[i]) << i;
        ASSERT_EQ(s.kind(ids[i]), static_cast<int>(i % 5)) << i;
    }
    EXPECT_EQ(s.childCount(kRootNode), 300u);
    EXPECT_EQ(s.childCount(ids[1000]), 999u);
    EXPECT_EQ(s.parent(ids[299999]), ids[299000]);
    s.clear();
    EXPECT_EQ(s.text(s.append(kRootNode, "lat = 1.5", 4)), "lat = 1.5");
}

TEST(NodeStore, RewritesKindsAndRemoval) {
    NodeStore s;
    NodeId a = s.append(kRootNode, "a", 1);
    NodeId b = s.append(kRootNode, "b", 2);
    NodeId c = s.append(kRootNode, "c", 3);
    NodeId b1 = s.append(b, "number = 1", 4);
    s.setText(b1, "number = 2");
    EXPECT_EQ(s.text(b1), "number = 2");
    s.setText(b1, "free text now");
    EXPECT_EQ(s.text(b1), "free text now");
    EXPECT_EQ(s.kind(b), 2);
    EXPECT_EQ(s.kind(b1), 4);

    EXPECT_EQ(s.childCount(kRootNode), 3u);
    s.remove(b);
    EXPECT_FALSE(s.alive(b));
    EXPECT_FALSE(s.alive(b1));
    EXPECT_EQ(s.nextSibling(a), c);
    EXPECT_EQ(s.childCount(kRootNode), 2u);
    s.remove(c);
    EXPECT_EQ(s.lastChild(kRootNode), a);
    NodeId d = s.append(kRootNode, "d", 0);
    EXPECT_EQ(s.nextSibling(a), d);
    s.remove(a);
    s.remove(d);
    EXPECT_EQ(s.firstChild(kRootNode), kNoNode);
    EXPECT_EQ(s.childCount(kRootNode), 0u);
    s.remove(a);  // removing twice is harmless
    EXPECT_EQ(s.text(a), "");
}

namespace {

// The children of a node as their texts, walked both ways so that a broken
// backward link shows as a difference.
std::string childrenOf(const NodeStore& s, NodeId parent) {
    std::string forward, backward;
    for (NodeId c = s.firstChild(parent); c != kNoNode; c = s.nextSibling(c)) forward += s.text(c) + ",";
    for (NodeId c = s.lastChild(parent); c != kNoNode; c = s.previousSibling(c)) backward = s.text(c) + "," + backward;
    return forward == backward ? forward : forward + " | backwards " + backward;
}

}  // namespace

TEST(NodeStore, InsertMoveAndRemoveKeepBothDirectionsOfTheSiblingList) {
    NodeStore s;
    NodeId p = s.append(kRootNode, "p", 0), q = s.append(kRootNode, "q", 0);
    NodeId b = s.append(p, "b", 0);
    NodeId a = s.insert(p, b, "a", 0);          // before the first
    NodeId d = s.insert(p, kNoNode, "d", 0);    // at the end
    NodeId c = s.insert(p, d, "c", 0);          // in the middle
    EXPECT_EQ(childrenOf(s, p), "a,b,c,d,");
    EXPECT_EQ(s.childCount(p), 4u);
    NodeId e = s.insert(p, q, "e", 0);  // a "before" of another parent appends
    EXPECT_EQ(e, s.lastChild(p));
    s.remove(s.lastChild(p));

    // Moves within a parent and across parents.
    EXPECT_TRUE(s.move(d, p, a));
    EXPECT_EQ(childrenOf(s, p), "d,a,b,c,");
    EXPECT_TRUE(s.move(a, p, kNoNode));
    EXPECT_EQ(childrenOf(s, p), "d,b,c,a,");
    EXPECT_TRUE(s.move(b, q, kNoNode));
    EXPECT_EQ(childrenOf(s, p), "d,c,a,");
    EXPECT_EQ(childrenOf(s, q), "b,");
    EXPECT_EQ(s.parent(b), q);
    EXPECT_EQ(s.childCount(p), 3u);
    EXPECT_EQ(s.childCount(q), 1u);

    // Nothing goes inside itself, nor before itself.
    NodeId inner = s.append(c, "inner", 0);
    EXPECT_FALSE(s.move(c, inner, kNoNode));
    EXPECT_FALSE(s.move(c, c, kNoNode));
    EXPECT_FALSE(s.move(c, p, c));
    EXPECT_TRUE(s.isWithin(inner, p));
    EXPECT_FALSE(s.isWithin(p, inner));

    // Removing the last, the first and a middle child.
    s.remove(a);
    s.remove(d);
    EXPECT_EQ(childrenOf(s, p), "c,");
    EXPECT_TRUE(s.alive(inner));
    s.remove(c);
    EXPECT_FALSE(s.alive(inner));  // a removed node takes its subtree with it
    EXPECT_EQ(childrenOf(s, p), "");
}

TEST(NodeStore, RemovingChildrenCostsWhatIsRemovedAndKillsTheSubtrees) {
    NodeStore s;
    NodeId seg = s.append(kRootNode, "trkseg", 2);
    std::vector<NodeId> points;
    for (int i = 1; i <= 1000; ++i) {
        NodeId pt = s.append(seg, "trkpt (" + std::to_string(i) + ")", 3);
        s.append(pt, "lat = 1", 4);
        points.push_back(pt);
    }
    NodeId lat = s.firstChild(points[500]);
    s.removeChildren(seg);
    EXPECT_EQ(s.firstChild(seg), kNoNode);
    EXPECT_EQ(s.lastChild(seg), kNoNode);
    EXPECT_EQ(s.childCount(seg), 0u);
    EXPECT_FALSE(s.alive(points.front()));
    EXPECT_FALSE(s.alive(points.back()));
    EXPECT_FALSE(s.alive(lat));
    NodeId again = s.append(seg, "trkpt (1)", 3);
    EXPECT_EQ(childrenOf(s, seg), "trkpt (1),");
    EXPECT_EQ(s.previousSibling(again), kNoNode);
}

TEST(NodeStore, NumbersAndTimesReadWithoutTheirTextAgreeWithTheText) {
    host::FakeClock clock;
    clock.offsetMinutes = 120;
    NodeStore store;
    std::vector<std::string> numbers = {"0", "7", "51.4000137", "-5.1000091", "+3.5", ".5", "5.", "-0.0", "007",
                                        "1234567890123456789", "12345678901234567890", "1.2345678901234567890",
                                        "-", ".", "1.2.3", "1-2", "--1", "123456789", "4294967296", "12:30"};
    std::mt19937 random(7);
    for (int i = 0; i < 2000; ++i) {
        std::string t = random() % 3 == 0 ? "-" : "";
        t += std::to_string(random() % 100000);
        if (random() % 4) t += "." + std::to_string(random() % 100000000);
        numbers.push_back(t);
    }
    int fast = 0;
    for (const std::string& text : numbers) {
        NodeId n = store.appendKeyed(kRootNode, AttrKey::Lat, text, 1);
        long double value = 0;
        std::optional<long double> expected = ParseNumber(text);
        if (store.numberInto(n, value)) {
            ++fast;
            ASSERT_TRUE(expected.has_value()) << text;
            EXPECT_EQ(std::memcmp(&value, &*expected, 10), 0) << text;  // the very same bits
        }
    }
    EXPECT_GT(fast, 2000);

    std::vector<std::string> times = {"2008-03-01T14:05:09.000Z", "2008-03-01T14:05:09.999+14:59",
                                      "2008-03-01T14:05:09.123-03:30", "1899-12-29T06:00:00.000Z",
                                      "2008-02-30T14:05:09.000Z", "2008-13-01T14:05:09.000Z",
                                      "2008-03-01T25:05:09.000Z", "2008-03-01T24:00:60.000Z",
                                      "2008-03-01T14:05:09.000+15:00", "2008-03-01T14:05:09.000+13:60",
                                      "0000-01-01T00:00:00.000Z", "9999-12-31T23:59:59.999Z"};
    for (int i = 0; i < 2000; ++i) {
        char t[40];
        std::snprintf(t, sizeof t, "%04u-%02u-%02uT%02u:%02u:%02u.%03u%s", unsigned(1890 + random() % 300),
                      unsigned(1 + random() % 12), unsigned(1 + random() % 31), unsigned(random() % 25),
                      unsigned(random() % 60), unsigned(random() % 61), unsigned(random() % 1000),
                      random() % 2 ? "Z" : random() % 2 ? "+05:45" : "-11:00");
        times.push_back(t);
    }
    fast = 0;
    for (const std::string& text : times) {
        NodeId n = store.appendKeyed(kRootNode, AttrKey::Time, text, 1);
        XmlTimeFields fields;
        if (!store.timeFieldsInto(n, fields)) continue;
        ++fast;
        std::optional<long double> viaFields = XmlFieldsToSerial(fields, clock), viaText = XmlToSerial(text, clock);
        ASSERT_EQ(viaFields.has_value(), viaText.has_value()) << text;
        if (viaText) {
            EXPECT_EQ(std::memcmp(&*viaFields, &*viaText, 10), 0) << text;
        }
    }
    EXPECT_GT(fast, 2000);
}

TEST(NodeStore, ChildCountsStayTrueThroughRandomChanges) {
    NodeStore store;
    std::vector<NodeId> nodes{kRootNode};
    std::mt19937 random(11);
    auto counted = [&](NodeId n) {
        std::uint32_t c = 0;
        for (NodeId k = store.firstChild(n); k != kNoNode; k = store.nextSibling(k)) ++c;
        return c;
    };
    auto anyAlive = [&] {
        for (;;) {
            NodeId n = nodes[random() % nodes.size()];
            if (store.alive(n)) return n;
        }
    };
    for (int step = 0; step < 20000; ++step) {
        NodeId n = anyAlive();
        switch (random() % 8) {
            case 0: case 1: case 2: nodes.push_back(store.appendKeyed(n, AttrKey::Lat, "1", 1)); break;
            case 3: if (n != kRootNode) store.remove(n); break;
            case 4: if (n != kRootNode) store.removeChildren(n); break;
            case 5: {
                NodeId to = anyAlive();
                store.move(n, to, kNoNode);
                break;
            }
            default: ASSERT_EQ(store.childCount(n), counted(n)) << "step " << step; break;
        }
        if (step % 5000 == 4999) {
            for (NodeId k : nodes) {
                if (!store.alive(k)) continue;
                ASSERT_EQ(store.childCount(k), counted(k));
            }
        }
    }
    store.clear();
    EXPECT_EQ(store.childCount(kRootNode), 0u);
    NodeId a = store.appendKeyed(kRootNode, AttrKey::Lat, "1", 1);
    EXPECT_EQ(store.childCount(kRootNode), 1u);
    EXPECT_EQ(store.childCount(a), 0u);
}

TEST(BlockReserve, ALongLoadGetsTouchedBlocksThatAreAllItsOwn) {
    // Block after block, as a large file fills the store: the helper
    // starts, and blocks come ready from it; each is whole and apart from
    // every other, and goes back with free().
    std::vector<unsigned char*> blocks;
    size_t takenBefore = TouchedBlocksTaken();
    for (int i = 0; i < 200 && TouchedBlocksTaken() < takenBefore + 4; ++i) {
        auto* block = static_cast<unsigned char*>(AllocateBigBlock(kBigBlockBytes));
        ASSERT_NE(block, nullptr);
        ASSERT_EQ(reinterpret_cast<std::uintptr_t>(block) % kBigBlockBytes, 0u);
        std::memset(block, i & 0xFF, kBigBlockBytes);  // all of it is writable
        blocks.push_back(block);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));  // the time a block takes to fill
    }
    if (std::thread::hardware_concurrency() > 1) {
        EXPECT_TRUE(BlockReserveRunning());
        EXPECT_GE(TouchedBlocksTaken(), takenBefore + 4);
    }
    for (size_t i = 0; i < blocks.size(); ++i) {
        EXPECT_EQ(blocks[i][0], i & 0xFF) << i;
        EXPECT_EQ(blocks[i][kBigBlockBytes - 1], i & 0xFF) << i;
    }
    std::sort(blocks.begin(), blocks.end());
    EXPECT_EQ(std::adjacent_find(blocks.begin(), blocks.end()), blocks.end());
    for (unsigned char* block : blocks) BigBlockFree()(block);
    // Other sizes are never taken from the reserve.
    EXPECT_EQ(TakeTouchedBlock(kBigBlockBytes * 2), nullptr);
    EXPECT_EQ(TakeTouchedBlock(4096), nullptr);
}
