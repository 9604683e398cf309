#include "formats/tree_to_gpx.h"

#include <gtest/gtest.h>

#include "format_fixture.h"
#include "formats/gpx.h"

using namespace formats;

class TreeToGpxTest : public ::testing::Test, public FormatFixture {
protected:
    void SetUp() override {
        doc.AddWaypoint("51.5", "5.25", "3", "", "w", core::Symbol::name("Flag"), "c", "");
        doc.NewRoute("r");
        doc.AddRoutepoint("52", "6", "", "", "p", core::Symbol::none(), "", "");
        doc.NewTrack("t1");
        doc.AddTrackpoint("53", "7", "", "");
        doc.NewTrack("t2");
        doc.AddTrackpoint("54", "8", "", "");
    }
};

TEST_F(TreeToGpxTest, FragmentsByNode) {
    std::string w = createXmlFromNode(doc, child(doc.waypoints(), 0), &host.fakeClipboard);
    EXPECT_EQ(w,
              "<gpx creator=\"Pathkeep\" version=\"1.1\">\n  <wpt lat=\"51.5\" lon=\"5.25\">\n    <ele>3</ele>\n"
              "    <name>w</name>\n    <sym>Flag</sym>\n    <cmt>c</cmt>\n  </wpt>\n</gpx>");
    EXPECT_EQ(host.fakeClipboard.content, w);

    std::string tracks = createXmlFromNode(doc, doc.trackpoints(), nullptr);
    EXPECT_EQ(tracks.find("<gpx"), 0u);
    size_t first = tracks.find("<trk>"), second = tracks.find("<trk>", first + 1);
    EXPECT_NE(second, std::string::npos);
    EXPECT_NE(tracks.find("<name>t2</name>"), std::string::npos);
    EXPECT_EQ(tracks.find("number"), std::string::npos);

    std::string rtept = createXmlFromNode(doc, child(child(doc.routes(), 0), 1), nullptr);
    EXPECT_NE(rtept.find("<rtept lat=\"52\" lon=\"6\">"), std::string::npos);
    EXPECT_EQ(rtept.find("<rte>"), std::string::npos);

    EXPECT_EQ(createXmlFromNode(doc, child(child(doc.waypoints(), 0), 0), nullptr),
              "<gpx creator=\"Pathkeep\" version=\"1.1\"/>");  // an attribute line
    EXPECT_EQ(createXmlFromNode(doc, core::kNoNode, nullptr), "");
}

TEST_F(TreeToGpxTest, CopyThenPasteRestoresAPoint) {
    std::string text = createXmlFromNode(doc, child(doc.waypoints(), 0), nullptr);
    std::string before = dump(doc.waypoints());
    doc.removeChildren(doc.waypoints());
    doc.setFocused(core::kNoNode);
    formats::Env e = env();
    GpxInserter(e).xmlAddChild(text);
    EXPECT_EQ(dump(doc.waypoints()), before);
}
