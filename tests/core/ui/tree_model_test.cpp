#include "core/ui/tree_model.h"

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QTreeView>

#include "../tree_fixture.h"

using namespace core;

// Every change of the document reaches the view as the matching row change;
// Qt's model tester checks each signal against what the model then reports.
class TreeModelTest : public ::testing::Test, public TreeFixture {
protected:
    ui::TreeModel model{doc};
    QAbstractItemModelTester tester{&model, QAbstractItemModelTester::FailureReportingMode::Fatal};
    QTreeView view;

    void SetUp() override {
        view.setModel(&model);
        doc.NewTrack("t");
        for (int i = 1; i <= 5; ++i) doc.AddTrackpoint("51." + std::to_string(i), "5", "", "");
        view.expandAll();  // every list is asked for, so every change must be reported
    }
    QStringList rows(NodeId parent) {
        QStringList out;
        QModelIndex p = model.indexOf(parent);
        for (int r = 0; r < model.rowCount(p); ++r) out << model.index(r, 0, p).data().toString();
        return out;
    }
};

TEST_F(TreeModelTest, InsertsInTheMiddleAndMovesKeepRowsInStep) {
    NodeId seg = doc.currentSegment;
    doc.insertNode(seg, child(seg, 2), "trkpt (new)", kTrackPointKind);
    EXPECT_EQ(rows(seg), QStringList({"trkpt (1)", "trkpt (2)", "trkpt (new)", "trkpt (3)", "trkpt (4)", "trkpt (5)"}));
    ASSERT_TRUE(doc.moveNode(child(seg, 5), seg, child(seg, 0)));  // last to first
    ASSERT_TRUE(doc.moveNode(child(seg, 1), seg, kNoNode));        // second to last
    EXPECT_EQ(rows(seg), QStringList({"trkpt (5)", "trkpt (2)", "trkpt (new)", "trkpt (3)", "trkpt (4)", "trkpt (1)"}));
    // Rows and nodes still find each other after the list lost its order.
    for (int r = 0; r < 6; ++r) EXPECT_EQ(model.indexOf(child(seg, r)).row(), r);

    // A move into another track, then a removal of all points at once.
    doc.NewTrack("u");
    NodeId other = doc.currentSegment;
    view.expandAll();
    ASSERT_TRUE(doc.moveNode(child(seg, 0), other, kNoNode));
    EXPECT_EQ(rows(other), QStringList({"trkpt (5)"}));
    doc.removeChildren(seg);
    EXPECT_TRUE(rows(seg).isEmpty());
    doc.AddTrackpoint("52", "6", "", "");
    EXPECT_EQ(rows(other), QStringList({"trkpt (5)", "trkpt (2)"}));  // labels count the segment's points
}

TEST_F(TreeModelTest, RemovingAWholeTrackAndItsListedChildren) {
    NodeId trk = child(doc.trackpoints(), 0);
    doc.removeNode(trk);
    EXPECT_TRUE(rows(doc.trackpoints()).isEmpty());
    doc.NewTrack("again");
    doc.AddTrackpoint("51", "5", "", "");
    view.expandAll();
    EXPECT_EQ(rows(doc.currentSegment), QStringList({"trkpt (1)"}));
}
