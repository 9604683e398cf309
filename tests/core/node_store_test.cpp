#include "core/node_store.h"

#include <gtest/gtest.h>

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
