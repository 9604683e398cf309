#include "core/point_edit.h"

#include <gtest/gtest.h>

#include <functional>

#include "tree_fixture.h"

using core::PointField;

TEST(PointEdit, SliderTable) {
    struct Case {
        int position;
        unsigned short number;
    };
    for (Case c : {Case{1, 178}, Case{11, 0}, Case{7, 3263}, Case{31, 6411}, Case{24, 8}})
        EXPECT_EQ(core::SliderSymbol(c.position), c.number) << c.position;
    EXPECT_EQ(core::SliderPosition(0), 11);
    EXPECT_EQ(core::SliderPosition(6400), 30);
    EXPECT_EQ(core::SliderPosition(100), 1);  // not one of the 31
    EXPECT_EQ(core::SliderSymbol(0), 178);    // outside the slider: position 1
}

TEST(PointEdit, DateAndTimeBothWays) {
    host::FakeLocale locale;
    auto split = core::SplitDateTime("39569,5", locale);  // 2008-05-01 noon
    ASSERT_TRUE(split);
    EXPECT_EQ(split->date, "01-05-2008");
    EXPECT_EQ(split->time, "12:00:00");
    EXPECT_FALSE(core::SplitDateTime("tomorrow", locale));
    locale.separator = ',';
    EXPECT_EQ(core::JoinDateTime("01-05-2008", "12:00:00", locale), "39569,5");
    locale.separator = '.';
    EXPECT_EQ(core::JoinDateTime("01-05-2008", "", locale), "39569");
    EXPECT_EQ(core::JoinDateTime("", "06:00:00", locale), "0.25");
    EXPECT_FALSE(core::JoinDateTime("", "", locale));
    EXPECT_FALSE(core::JoinDateTime("31-13-2008", "", locale));
}

// "^" reads back what the dialog wrote, whatever the desktop's date format:
// month first, month names, year first, two-digit years.
TEST(PointEdit, DateReadBackInEveryShortFormat) {
    struct Format : host::LocaleInfo {
        std::function<std::string(int, int, int)> write;
        char decimalSeparator() const override { return '.'; }
        std::string formatShortDate(int y, int m, int d) const override { return write(y, m, d); }
    };
    const char* months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    auto two = [](int n) { return (n < 10 ? "0" : "") + std::to_string(n); };
    const std::pair<const char*, std::function<std::string(int, int, int)>> formats[] = {
        {"en_US M/d/yy", [&](int y, int m, int d) { return std::to_string(m) + "/" + std::to_string(d) + "/" + two(y % 100); }},
        {"de dd.MM.yy", [&](int y, int m, int d) { return two(d) + "." + two(m) + "." + two(y % 100); }},
        {"C d MMM yyyy", [&](int y, int m, int d) { return std::to_string(d) + " " + months[m - 1] + " " + std::to_string(y); }},
        {"ISO yyyy-MM-dd", [&](int y, int m, int d) { return std::to_string(y) + "-" + two(m) + "-" + two(d); }},
    };
    for (const auto& [name, write] : formats) {
        Format locale;
        locale.write = write;
        for (const char* serial : {"43983.5", "44196.25", "39569"}) {  // 2020-06-01, 2020-12-31, 2008-05-01
            auto split = core::SplitDateTime(serial, locale);
            ASSERT_TRUE(split) << name;
            EXPECT_EQ(core::JoinDateTime(split->date, split->time, locale), serial) << name << " " << split->date;
        }
    }
}

TEST(PointEdit, MultiEditWritesOnlyCheckedFields) {
    host::FakeLocale locale;
    std::vector<core::ListRow> rows(3);
    for (size_t i = 0; i < rows.size(); ++i) {
        rows[i][core::kColLat] = "5" + std::to_string(i);
        rows[i][core::kColName] = "n" + std::to_string(i);
        rows[i][core::kColComment] = "old";
        rows[i][core::kColSerial] = "39569,5";
        rows[i][core::kColDate] = "01-05-2008";
    }
    auto before = rows;
    core::PointEditModel m = core::ModelFromRow(rows[0], true);
    m.field(PointField::Cmt) = "new comment";
    m.check(PointField::Cmt);
    m.field(PointField::Lat) = "99";  // typed but unchecked: not written
    for (auto& r : rows) core::WriteToRow(m, r, locale);
    for (size_t i = 0; i < rows.size(); ++i) {
        auto expected = before[i];
        expected[core::kColComment] = "new comment";
        EXPECT_EQ(rows[i], expected) << i;
    }
}

TEST(PointEdit, SingleEditWritesAllFieldsAndTheDateColumns) {
    host::FakeLocale locale;
    core::ListRow row;
    core::PointEditModel m = core::ModelFromRow(row, false);
    m.field(PointField::Lat) = "51,5";
    m.field(PointField::DateTime) = "39570,75";  // 2008-05-02 18:00
    m.field(PointField::Name) = "x";
    core::WriteToRow(m, row, locale);
    EXPECT_EQ(row[core::kColLat], "51,5");
    EXPECT_EQ(row[core::kColDate], "02-05-2008");
    EXPECT_EQ(row[core::kColTime], "18:00:00");
    m.field(PointField::DateTime) = "";
    core::WriteToRow(m, row, locale);
    EXPECT_EQ(row[core::kColDate], "30-12-1899");  // serial 0
    EXPECT_EQ(row[core::kColTime], "00:00:00");
}

class TreeEditTest : public ::testing::Test, public TreeFixture {
protected:
    TreeEditTest() { doc.initTree(); }
};

TEST_F(TreeEditTest, RoutePointKeepsItsLabelWhileItsNameChanges) {
    doc.NewRoute("r");
    doc.AddRoutepoint("51.5", "4.5", "", "", "old", core::Symbol::name("Anchor"), "", "", "stop");
    core::NodeId pt = child(doc.currentRoute, 1);
    core::NodeId focusedLine = child(pt, 0);  // "lat = ..." finds its point
    auto target = core::FindEditTarget(doc, focusedLine);
    ASSERT_EQ(target.kind, core::TreePointTarget::Kind::Point);
    ASSERT_EQ(target.node, pt);
    std::string before = dump(pt);
    auto m = core::ModelFromPoint(doc, pt, host.fakeClock, ',');
    EXPECT_EQ(m.field(PointField::Lat), "51,5");
    EXPECT_EQ(m.field(PointField::Sym), "Anchor");
    m.field(PointField::Name) = "new";
    m.field(PointField::Lon) = "4,75";
    auto e = core::WritePoint(doc, pt, m, host.fakeClock);
    EXPECT_EQ(doc.getText(pt), "rtept (old)");
    EXPECT_EQ(dump(pt), "lat = 51.5\nlon = 4.75\nname = new\nsym = Anchor\ntype = stop\n");
    core::UndoPointEdit(doc, e);
    EXPECT_EQ(dump(pt), before);
    core::RedoPointEdit(doc, e);
    EXPECT_EQ(dump(pt), "lat = 51.5\nlon = 4.75\nname = new\nsym = Anchor\ntype = stop\n");
}

TEST_F(TreeEditTest, WaypointIsRelabelledAndTimeStoredAsXml) {
    doc.AddWaypoint("51.5", "4.5", "", "", "home", core::Symbol::none(), "", "");
    core::NodeId wpt = child(doc.waypoints(), 0);
    auto m = core::ModelFromPoint(doc, wpt, host.fakeClock, '.');
    m.field(PointField::Name) = "cabin";
    m.field(PointField::DateTime) = "39569,5";
    core::WritePoint(doc, wpt, m, host.fakeClock);
    EXPECT_EQ(doc.getText(wpt), "wpt (cabin)");
    EXPECT_NE(dump(wpt).find("time = 2008-05-01T12:00:00"), std::string::npos) << dump(wpt);
}

TEST_F(TreeEditTest, NameLineOfATrackRelabelsItButNotTheTrackList) {
    doc.NewTrack("old");
    core::NodeId trk = doc.parent(doc.currentSegment);
    core::NodeId line = child(trk, 0);
    auto target = core::FindEditTarget(doc, line);
    ASSERT_EQ(target.kind, core::TreePointTarget::Kind::NameLine);
    auto e = core::WriteNameLine(doc, line, "new");
    EXPECT_EQ(doc.getText(line), "name = new");
    EXPECT_EQ(doc.getText(trk), "trk (new)");
    EXPECT_EQ(doc.cbTracks.items, std::vector<std::string>{"old"});
    core::UndoPointEdit(doc, e);
    EXPECT_EQ(doc.getText(trk), "trk (old)");
    EXPECT_EQ(doc.getText(line), "name = old");
    // A focused segment or container has nothing to edit.
    EXPECT_EQ(core::FindEditTarget(doc, doc.currentSegment).kind, core::TreePointTarget::Kind::None);
    EXPECT_EQ(core::FindEditTarget(doc, doc.trackpoints()).kind, core::TreePointTarget::Kind::None);
}
