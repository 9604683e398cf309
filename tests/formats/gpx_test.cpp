#include "formats/gpx.h"

#include <gtest/gtest.h>

#include "format_fixture.h"

using namespace formats;
using core::kNoNode;

namespace {

std::string gpxFile(const std::string& body) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<gpx version=\"1.1\" creator=\"test\" "
           "xmlns=\"http://www.topografix.com/GPX/1/1\">\n" +
           body + "\n</gpx>\n";
}

std::string trkpt(const char* lat, const char* lon) {
    return std::string("<trkpt lat=\"") + lat + "\" lon=\"" + lon + "\"/>";
}

}  // namespace

class GpxTest : public ::testing::Test, public FormatFixture {
protected:
    core::Result read(const std::string& body) {
        doc.initTree();
        formats::Env e = env();
        return GpxBestandInlezen(e, dir.write("in.gpx", gpxFile(body)));
    }
    std::string tracks() { return dump(doc.trackpoints()); }
};

TEST_F(GpxTest, TracksOfOneNameGetCopyOf) {
    EXPECT_TRUE(read("<trk><name>A</name><trkseg>" + trkpt("1", "1") + "</trkseg></trk>"
         "<trk><name>A</name><trkseg>" + trkpt("2", "2") + "</trkseg></trk>"
         "<trk><name>A</name><trkseg>" + trkpt("3", "3") + "</trkseg></trk>").isDone());
    EXPECT_EQ(tracks(),
              "trk (A)\n  name = A\n  number = 1\n  trkseg\n    trkpt (1)\n      lat = 1\n      lon = 1\n"
              "trk (Copy of A)\n  name = Copy of A\n  number = 2\n  trkseg\n"
              "    trkpt (1)\n      lat = 2\n      lon = 2\n    trkpt (2)\n      lat = 3\n      lon = 3\n");
    EXPECT_EQ(doc.cbTracks.items, (std::vector<std::string>{"A", "Copy of A"}));
}

TEST_F(GpxTest, MissingNamesAndMergedSegmentsAndZeroPoints) {
    EXPECT_TRUE(read("<wpt lat=\"1\" lon=\"2\"/><rte><rtept lat=\"3\" lon=\"4\"/></rte>"
         "<trk><trkseg>" + trkpt("1", "1") + trkpt("0", "0") + "</trkseg><trkseg/><trkseg>" + trkpt("2", "2") +
         "</trkseg><trkseg>" + trkpt("3", "3") + "</trkseg></trk>").isDone());
    EXPECT_EQ(doc.getText(child(doc.waypoints(), 0)), "wpt ()");
    EXPECT_EQ(dump(doc.routes()), "rte ()\n  name = \n  rtept ()\n    lat = 3\n    lon = 4\n");
    std::string t = tracks();
    EXPECT_EQ(t.substr(0, t.find('\n')), "trk (NewTrack)");
    EXPECT_NE(t.find("number = 3\n"), std::string::npos);
    EXPECT_NE(t.find("trkpt (3)\n      lat = 3"), std::string::npos);
    EXPECT_EQ(doc.childCount(child(child(doc.trackpoints(), 0), 2)), 3u);
}

TEST_F(GpxTest, ValuesTimesSymbolsAndMetadata) {
    EXPECT_TRUE(read("<metadata><name>Walk</name><author><name>Jo</name><email id=\"jo\" domain=\"x.org\"/></author>"
         "<link href=\"http://x/\"><text>the link's text</text></link>"
         "<bounds minlat=\"1\" maxlat=\"2\"/></metadata>"
         "<wpt lat=\"51.5\" lon=\"5.25\"><ele>3</ele><time>2008-05-01T13:05:09Z</time><name>A &amp; B</name>"
         "<cmt>c</cmt><desc>d</desc><sym>flag, blue</sym><type>cache</type><extensions><x/></extensions></wpt>"
         "<wpt lat=\"1\" lon=\"1\"><sym>Geocache Found</sym><time>39569,5</time></wpt>"
         "<trk><name>t</name><trkseg><trkpt lat=\"51.5\" lon=\"5.25\"><ele>7.5</ele>"
         "<time>2008-05-01T14:05:09+01:00</time><name>p1</name><cmt>c1</cmt><desc>d1</desc><sym>flag, blue</sym>"
         "<type>stop</type><hdop>2</hdop><extensions><hr>80</hr></extensions></trkpt>"
         "<trkpt lat=\"2\" lon=\"2\"><extensions><hr>81</hr></extensions></trkpt>"
         "</trkseg></trk>").isDone());
    EXPECT_EQ(dump(doc.metadata()),
              "name = Walk\nauthor\n  name = Jo\n  email = jo@x.org\nlink\n  href = http://x/\n  text = the link's text\n"
              "bounds\n  minlat = 1\n  maxlat = 2\n");
    EXPECT_EQ(dump(doc.waypoints()),
              "wpt (A & B)\n  lat = 51.5\n  lon = 5.25\n  ele = 3\n  time = 2008-05-01T13:05:09.000Z\n"
              "  name = A & B\n  sym = Flag, Blue\n  cmt = c\n  desc = d\n  type = cache\n"
              "wpt ()\n  lat = 1\n  lon = 1\n  time = 2008-05-01T12:00:00.000Z\n  sym = Geocache Found\n");
    EXPECT_NE(tracks().find("trkpt (1)\n      lat = 51.5\n      lon = 5.25\n      ele = 7.5\n"
                            "      time = 2008-05-01T13:05:09.000Z\n      name = p1\n      sym = Flag, Blue\n"
                            "      cmt = c1\n      desc = d1\n      type = stop\n    trkpt (2)"),
              std::string::npos);
    // What is still not kept is named once, with how many points carry it.
    EXPECT_EQ(warnings, (std::vector<std::string>{
                            "1 waypoint carries extensions that a save does not keep",
                            "2 track points carry hdop, extensions that a save does not keep"}));
}

TEST_F(GpxTest, Gpx10HeaderBecomesMetadata) {
    doc.initTree();
    formats::Env e = env();
    ASSERT_TRUE(ReadGpxText(e, "<gpx version=\"1.0\" xmlns=\"http://www.topografix.com/GPX/1/0\">"
                               "<name>N</name><desc>D</desc><author>A</author><email>a@b.c</email>"
                               "<url>http://u/</url><urlname>U</urlname><time>2004-01-01T00:00:00Z</time>"
                               "<keywords>k</keywords><bounds minlat=\"1\" minlon=\"2\" maxlat=\"3\" maxlon=\"4\"/>"
                               "<wpt lat=\"1\" lon=\"2\"><url>http://w/</url></wpt></gpx>")
                    .isDone());
    EXPECT_EQ(dump(doc.metadata()),
              "name = N\ndesc = D\nauthor\n  name = A\n  email = a@b.c\nlink\n  href = http://u/\n  text = U\n"
              "time = 2004-01-01T00:00:00Z\nkeywords = k\nbounds\n  minlat = 1\n  minlon = 2\n  maxlat = 3\n  maxlon = 4\n");
    EXPECT_EQ(warnings, (std::vector<std::string>{"1 waypoint carries url that a save does not keep"}));
}

TEST_F(GpxTest, KindsArriveGroupedWhateverTheFileOrder) {
    EXPECT_TRUE(read("<trk><name>T1</name><trkseg>" + trkpt("1", "1") + "</trkseg></trk>"
         "<wpt lat=\"5\" lon=\"5\"><name>W</name></wpt>"
         "<rte><name>R</name><rtept lat=\"6\" lon=\"6\"/></rte>"
         "<wpt lat=\"7\" lon=\"7\"><name>V</name></wpt>"
         "<trk><name>T2</name><trkseg>" + trkpt("2", "2") + "</trkseg></trk>").isDone());
    EXPECT_EQ(doc.childCount(doc.waypoints()), 2u);  // not route points of R
    EXPECT_EQ(dump(doc.routes()), "rte (R)\n  name = R\n  rtept ()\n    lat = 6\n    lon = 6\n");
    EXPECT_EQ(doc.cbTracks.items, (std::vector<std::string>{"T1", "T2"}));
    // After waypoints, routes, then tracks, the last track holds the focus.
    EXPECT_EQ(doc.getText(doc.focused()), "trk (T2)");
}

TEST_F(GpxTest, UnparsableFileKeepsWhatWasReadAndSaysWhere) {
    // Long enough that the reader hands out elements before it meets the fault.
    std::string body = "<wpt lat=\"1\" lon=\"2\"/><trk><name>t</name><trkseg>\n";
    for (int i = 1; i <= 2000; ++i) body += trkpt("1", std::to_string(i).c_str()) + "\n";
    core::Result r = read(body + "<trkpt lat=\"3\" lon=\"3\"></trkseg></trk>");
    EXPECT_TRUE(r.isFailed());
    EXPECT_GT(r.line(), 2000);
    EXPECT_FALSE(r.message().empty());
    EXPECT_EQ(doc.childCount(doc.waypoints()), 1u);
    ASSERT_EQ(doc.childCount(doc.trackpoints()), 1u);
    EXPECT_GE(doc.childCount(child(child(doc.trackpoints(), 0), 2)), 1000u);

    formats::Env e = env();
    core::Result missing = GpxBestandInlezen(e, dir.file("nope.gpx"));
    EXPECT_TRUE(missing.isFailed());
}

TEST_F(GpxTest, EscapeStopsReading) {
    std::string body = "<trk><name>long</name><trkseg>";
    for (int i = 1; i <= 1000; ++i) body += trkpt("1", std::to_string(i).c_str());
    body += "</trkseg></trk>";
    host.fakePump.onProcess = [this](int call) {
        if (call == 3) op.requestCancel();
    };
    core::Result r = read(body);
    EXPECT_TRUE(r.isCancelled());
    EXPECT_LT(doc.childCount(child(child(doc.trackpoints(), 0), 2)), 1000u);
}

TEST_F(GpxTest, PastingOneTrackPointDependsOnTheFocus) {
    formats::Env e = env();
    GpxInserter ins(e);
    doc.AddWaypoint("1", "1", "", "", "w", core::Symbol::none(), "", "");
    doc.NewRoute("r");
    doc.AddRoutepoint("2", "2", "", "", "p", core::Symbol::none(), "", "");
    doc.NewTrack("t");
    doc.AddTrackpoint("3", "3", "", "");
    const std::string pt = "<trkpt lat=\"9\" lon=\"9\"><ele>1</ele></trkpt>";

    doc.setFocused(child(doc.waypoints(), 0));
    ASSERT_TRUE(ins.xmlAddChild(pt));
    EXPECT_EQ(dump(child(doc.waypoints(), 1)), "lat = 9\nlon = 9\nele = 1\n");  // no name, no symbol

    doc.setFocused(child(child(doc.routes(), 0), 1));  // the route point
    ins.xmlAddChild(pt);
    EXPECT_EQ(doc.getText(child(child(doc.routes(), 0), 2)), "rtept (TP)");

    core::NodeId trk = child(doc.trackpoints(), 0);
    doc.setFocused(child(trk, 0));  // its name line acts for the track
    ins.xmlAddChild(pt);
    EXPECT_EQ(doc.getText(child(trk, 1)), "number = 2");

    doc.setFocused(child(trk, 2));  // the segment
    ins.xmlAddChild(pt);
    EXPECT_EQ(doc.getText(child(trk, 1)), "number = 3");

    // A waypoint has no place in a track.
    ins.xmlAddChild("<wpt lat=\"8\" lon=\"8\"/>");
    EXPECT_EQ(doc.childCount(doc.waypoints()), 2u);

    // A route point with nothing focused and no route current adds nothing.
    doc.initTree();
    ins.xmlAddChild("<rtept lat=\"8\" lon=\"8\"/>");
    EXPECT_EQ(dump(core::kRootNode), "metadata\nwaypoints\nroutes\ntrackpoints\n");
    EXPECT_FALSE(ins.xmlAddChild("<gpx><wpt"));
}

TEST_F(GpxTest, PastingAWholeTrackWithATrackFocusedAddsACopy) {
    formats::Env e = env();
    GpxInserter ins(e);
    doc.NewTrack("t");
    doc.AddTrackpoint("1", "1", "", "");
    doc.setFocused(child(doc.trackpoints(), 0));
    ins.xmlAddChild("<gpx><trk><name>t</name><trkseg>" + trkpt("2", "2") + "</trkseg></trk></gpx>");
    EXPECT_EQ(doc.cbTracks.items, (std::vector<std::string>{"t", "Copy of t"}));
    EXPECT_EQ(doc.getText(doc.focused()), "trk (Copy of t)");
    EXPECT_EQ(doc.childCount(child(child(doc.trackpoints(), 1), 2)), 1u);
}

class GpxWriteTest : public GpxTest {
protected:
    std::string save(bool selectionOnly, const std::string& name = "out.gpx") {
        formats::Env e = env();
        core::Result w = SaveAsGPX(e, dir.file(name), selection(selectionOnly));
        EXPECT_TRUE(w.isDone()) << w.message();
        return readFile(dir.file(name));
    }
    void fill() {
        EXPECT_TRUE(read("<metadata><name>m</name><author><name>A</name><email id=\"a\" domain=\"b\"/></author></metadata>"
             "<wpt lat=\"1\" lon=\"2\"><name>W &lt;1&gt; &amp; Co</name><type>t</type></wpt>"
             "<rte><name>R</name><rtept lat=\"3\" lon=\"4\"><sym>Flag</sym><type>u</type></rtept></rte>"
             "<trk><name>T1</name><trkseg><trkpt lat=\"5.1234567\" lon=\"6\"><name>P</name><cmt>C</cmt>"
             "<desc>D</desc><sym>Flag</sym><type>v</type></trkpt></trkseg></trk>"
             "<trk><name>T2</name><trkseg>" + trkpt("7", "8") + "</trkseg></trk>").isDone());
    }
};

TEST_F(GpxWriteTest, ReadWriteReadKeepsTheTree) {
    fill();
    std::string before = dump(core::kRootNode);
    std::string text = save(false);
    EXPECT_NE(text.find("W &lt;1&gt; &amp; Co"), std::string::npos);
    EXPECT_NE(text.find("xsi:schemaLocation=\"http://www.topografix.com/GPX/1/1 "
                        "http://www.topografix.com/GPX/1/1/gpx.xsd\""),
              std::string::npos);
    EXPECT_EQ(text.find("number"), std::string::npos);
    EXPECT_NE(text.find("lat=\"5.1234567\""), std::string::npos);
    doc.initTree();
    formats::Env e = env();
    ASSERT_TRUE(GpxBestandInlezen(e, dir.file("out.gpx")).isDone());
    EXPECT_EQ(dump(core::kRootNode), before);
}

TEST_F(GpxWriteTest, SavePointsOfOneTrack) {
    fill();
    doc.setFocused(child(doc.trackpoints(), 1));
    std::string text = save(true);
    EXPECT_NE(text.find("<name>m</name>"), std::string::npos);
    EXPECT_NE(text.find("<rte>"), std::string::npos);
    EXPECT_EQ(text.find("<wpt"), std::string::npos);
    EXPECT_EQ(text.find("T1"), std::string::npos);
    EXPECT_NE(text.find("T2"), std::string::npos);

    doc.setFocused(doc.waypoints());
    text = save(true);
    EXPECT_NE(text.find("<wpt"), std::string::npos);
    EXPECT_EQ(text.find("<trk>"), std::string::npos);

    doc.setFocused(kNoNode);
    text = save(true);
    EXPECT_EQ(text.find("<metadata"), std::string::npos);
    EXPECT_NE(text.find("<gpx"), std::string::npos);
}

TEST_F(GpxWriteTest, OddMetadataLinesStillGiveWellFormedXml) {
    doc.appendNode(doc.metadata(), "not a name = x", core::kAttributeKind);
    core::NodeId b = doc.appendNode(doc.metadata(), "bounds", core::kAttributeKind);
    doc.appendNode(b, "minlat = 1", core::kAttributeKind);
    doc.appendNode(b, "bad key = 2", core::kAttributeKind);
    doc.appendNode(b, "inner text", core::kAttributeKind);
    std::string text = save(false);
    EXPECT_NE(text.find("<bounds minlat=\"1\">inner text</bounds>"), std::string::npos) << text;
    doc.initTree();
    formats::Env e = env();
    EXPECT_TRUE(GpxBestandInlezen(e, dir.file("out.gpx")).isDone());
}

TEST_F(GpxWriteTest, FailuresAndCancelLeaveTheTargetAlone) {
    fill();
    formats::Env e = env();
    core::Result w = SaveAsGPX(e, dir.file("missing/folder/out.gpx"), selection(false));
    EXPECT_FALSE(w.isDone());
    EXPECT_FALSE(w.message().empty());

    std::string target = dir.write("keep.gpx", "old content");
    doc.NewTrack("long");
    for (int i = 1; i <= 500; ++i) doc.AddTrackpoint("1", std::to_string(i), "", "");
    host.fakePump.onProcess = [this](int call) {
        if (call == 5) op.requestCancel();
    };
    w = SaveAsGPX(e, target, selection(false));
    EXPECT_TRUE(w.isCancelled());
    EXPECT_EQ(readFile(target), "old content");
}

TEST_F(GpxWriteTest, ControlCharactersFromOtherFormatsAreLeftOut) {
    // Legacy text files can carry them into names; XML cannot hold them.
    doc.AddWaypoint("1", "2", "", "", std::string("bell\x07 and\x13 more"), core::Symbol::none(), "", "tab\there");
    doc.appendNode(doc.metadata(), std::string("name = odd\x01"), core::kAttributeKind);
    std::string text = save(false);
    EXPECT_NE(text.find("<name>bell and more</name>"), std::string::npos);
    EXPECT_TRUE(xml::parseMemory(text));
}

TEST_F(GpxWriteTest, OnlyCharactersXmlAllowsAreWrittenAndTheFileReopens) {
    struct Row {
        std::string name, written;
    } rows[] = {
        {"a\xEF\xBF\xBE" "b", "ab"},                      // U+FFFE
        {"a\xEF\xBF\xBF" "b", "ab"},                      // U+FFFF
        {"a\xED\xA0\x80" "b", "ab"},                      // an unpaired surrogate, as some encoders write it
        {"a\xED\xBF\xBF" "b", "ab"},                      // the last low surrogate
        {"a\xC0\xAF" "b", "ab"},                          // an overlong '/'
        {"a\xFF" "b\xC3", "ab"},                          // no UTF-8 at all, a cut sequence at the end
        {"caf\xC3\xA9 \xEF\xBF\xBD \xF0\x9F\x9A\xB2", "caf\xC3\xA9 \xEF\xBF\xBD \xF0\x9F\x9A\xB2"},  // é, U+FFFD, a bike
        {"\xED\x9F\xBF\xEE\x80\x80", "\xED\x9F\xBF\xEE\x80\x80"},  // U+D7FF and U+E000 on either side of the gap
    };
    for (const auto& r : rows) {
        doc.initTree();
        doc.AddWaypoint("1", "2", "", "", r.name, core::Symbol::none(), r.name, "x<" + r.name);
        std::string text = save(false);
        EXPECT_NE(text.find("<name>" + r.written + "</name>"), std::string::npos) << text;
        doc.initTree();
        formats::Env e = env();
        core::Result back = GpxBestandInlezen(e, dir.file("out.gpx"));
        ASSERT_TRUE(back.isDone()) << back.message() << "\n" << text;
        EXPECT_EQ(doc.nameOf(doc.firstChild(doc.waypoints())), r.written);
    }
}

TEST_F(GpxTest, BytesAfterTheEndOfTheDocumentAreAWarningNotAFailure) {
    std::string whole = gpxFile("<wpt lat=\"1\" lon=\"2\"/><trk><name>t</name><trkseg>" + trkpt("3", "4") +
                                "</trkseg></trk>");
    struct Row {
        std::string after;
        bool warned;
    } rows[] = {{std::string(4096, '\0'), true},
                {std::string(200000, '\0'), true},  // more than one block of padding
                {"garbage<x/>", true},
                {"\n\n  \r\n", false}};
    for (const auto& r : rows) {
        doc.initTree();
        log.clear();
        formats::Env e = env();
        core::Result got = GpxBestandInlezen(e, dir.write("pad.gpx", whole + r.after));
        EXPECT_TRUE(got.isDone()) << got.describe();
        EXPECT_EQ(doc.childCount(doc.waypoints()), 1u);
        ASSERT_EQ(doc.childCount(doc.trackpoints()), 1u);
        EXPECT_EQ(doc.childCount(child(child(doc.trackpoints(), 0), 2)), 1u);
        bool warned = log.size() > 1 && log[1].find("bytes after </gpx>") != std::string::npos;
        EXPECT_EQ(warned, r.warned) << r.after.size();
        // The same text read from memory.
        doc.initTree();
        warnings.clear();
        EXPECT_TRUE(ReadGpxText(e, whole + r.after).isDone());
        EXPECT_EQ(doc.childCount(doc.waypoints()), 1u);
        EXPECT_EQ(warnings.size(), r.warned ? 1u : 0u);
    }
    // A document cut short is still a failure.
    doc.initTree();
    formats::Env e = env();
    EXPECT_TRUE(GpxBestandInlezen(e, dir.write("cut.gpx", whole.substr(0, whole.size() - 10) + std::string(100, '\0')))
                    .isFailed());
}

TEST_F(GpxTest, AClosingTagInAnEarlierCommentDoesNotCutTheFile) {
    // The real end lies more than one 64 KiB block after the comment.
    std::string points;
    for (int i = 1; i <= 4000; ++i) points += trkpt("51.5", std::to_string(i).c_str());
    for (const std::string& after : {std::string("\n"), std::string(300, '\0')}) {
        doc.initTree();
        warnings.clear();
        std::string text = gpxFile("<!-- an older file ended here: </gpx> -->\n<trk><name>t</name><trkseg>" + points +
                                   "</trkseg></trk>") + after;
        formats::Env e = env();
        core::Result got = GpxBestandInlezen(e, dir.write("comment.gpx", text));
        EXPECT_TRUE(got.isDone()) << got.describe();
        EXPECT_EQ(warnings.size(), after.size() > 1 ? 1u : 0u);
        ASSERT_EQ(doc.childCount(doc.trackpoints()), 1u);
        EXPECT_EQ(doc.childCount(child(child(doc.trackpoints(), 0), 2)), 4000u);
    }
}

TEST_F(GpxWriteTest, KeyedAndEditedPointsAreWrittenAlike) {
    // Every line keyed: the writer reads the store directly. One line of
    // another shape sends the point through the general reading.
    auto addPoint = [&] {
        doc.AddWaypoint("51.5", "5.25", "12.5", "46143.25", "W <1> & \"Co\"", core::Symbol::name("Flag"), "c", "d");
        core::NodeId w = doc.store().lastChild(doc.waypoints());
        doc.appendNode(w, "lat = 52.75", core::kAttributeKind);  // a second lat: the last one is written
        doc.appendNode(w, "ele = ", core::kAttributeKind);       // an empty value
        return w;
    };
    addPoint();
    core::NodeId edited = addPoint();
    doc.appendNode(edited, "x-note", core::kAttributeKind);
    std::string text = save(false);
    size_t first = text.find("<wpt"), second = text.find("<wpt", first + 1);
    ASSERT_NE(second, std::string::npos);
    std::string keyed = text.substr(first, text.find("</wpt>", first) + 6 - first);
    std::string general = text.substr(second, text.find("</wpt>", second) + 6 - second);
    EXPECT_NE(keyed.find("lat=\"52.75\" lon=\"5.25\""), std::string::npos) << keyed;
    EXPECT_NE(keyed.find("<name>W &lt;1&gt; &amp; &quot;Co&quot;</name>"), std::string::npos) << keyed;
    EXPECT_NE(keyed.find("<ele/>"), std::string::npos) << keyed;
    size_t note = general.find("\n    <x-note/>");
    ASSERT_NE(note, std::string::npos) << general;
    EXPECT_EQ(general.erase(note, 14), keyed);
}

TEST_F(GpxTest, PointsReadAlikeWhereverTheParserBlocksEndAndHoweverTheyAreWritten) {
    // Enough points that values straddle the 256 KiB blocks the file is parsed in.
    std::string body = "<trk><name>t</name><trkseg>\n";
    const int n = 6000;
    for (int i = 0; i < n; ++i) {
        char line[200];
        std::snprintf(line, sizeof line,
                      "<trkpt lat=\"51.%07d\" lon=\"5.%07d\">\n  <ele>%d.5</ele>\n  <time>2020-01-01T%02d:%02d:%02dZ</time>\n"
                      "  <extensions><ele>999</ele><time>bogus</time></extensions>\n</trkpt>\n",
                      i, i, i, i / 3600, i / 60 % 60, i % 60);
        body += line;
    }
    // Character references, CDATA, comments and repeated children: the last ele counts.
    body += "<trkpt lat=\"&#53;2.5\" lon=\"6.&#x35;\"><ele>1</ele><ele><![CDATA[2]]><!-- c -->5</ele>"
            "<time>2020-01-02T00:00:00Z</time></trkpt>\n</trkseg></trk>";
    ASSERT_TRUE(read(body).isDone());
    core::NodeId segment = child(child(doc.trackpoints(), 0), 2);
    ASSERT_EQ(doc.childCount(segment), static_cast<uint32_t>(n + 1));
    for (int i : {0, 1, 2047, 2048, 4095, 5999}) {
        char expected[200];
        std::snprintf(expected, sizeof expected,
                      "lat = 51.%07d\nlon = 5.%07d\nele = %d.5\ntime = 2020-01-01T%02d:%02d:%02d.000Z\n", i, i, i,
                      i / 3600, i / 60 % 60, i % 60);
        EXPECT_EQ(dump(child(segment, i)), expected);
    }
    EXPECT_EQ(doc.getText(child(segment, n)), "trkpt (6001)");
    EXPECT_EQ(dump(child(segment, n)), "lat = 52.5\nlon = 6.5\nele = 25\ntime = 2020-01-02T00:00:00.000Z\n");
}

TEST_F(GpxTest, WaypointTextsKeepEntitiesAndSpacesAsWritten) {
    ASSERT_TRUE(read("<wpt lat=\"1\" lon=\"2\">\n  <name>  A &amp; &lt;B&gt; </name>\n"
                     "  <desc><![CDATA[x < y]]></desc>\n  <cmt>\n  </cmt>\n</wpt>\n"
                     "<rte>\n  <name>R &#38; S</name>\n  <rtept lat=\"3\" lon=\"4\">\n    <name>P</name>\n  </rtept>\n</rte>")
                    .isDone());
    EXPECT_EQ(dump(doc.waypoints()), "wpt (  A & <B> )\n  lat = 1\n  lon = 2\n  name =   A & <B> \n"
                                     "  cmt = \n  \n  desc = x < y\n");
    EXPECT_EQ(dump(doc.routes()), "rte (R & S)\n  name = R & S\n  rtept (P)\n    lat = 3\n    lon = 4\n    name = P\n");
}
