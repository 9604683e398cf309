#include "app/ui/edit_actions.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QSlider>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTreeView>

#include "app/ui/main_window.h"
#include "core/ui/point_editor.h"
#include "core/ui/tree_model.h"
#include "host/fake/fake_host.h"

namespace {

struct Window {
    host::FakeHost host;
    app::Workspace ws{host, app::BuildPaths({"/nonexistent", "/tmp", "", "", "", PATHKEEP_DATA_DIR, "", ""})};
    app::ui::MainWindow window{ws};
    core::Document& doc = ws.document;
    Window() {
        window.show();
        QApplication::processEvents();
    }
    template <typename T>
    T* find(const char* name) {
        T* w = window.findChild<T*>(name);
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QAction* treeItem(const char* name) { return window.editActions().treeMenu()->findChild<QAction*>(name); }
    core::NodeId child(core::NodeId parent, int index) const {
        core::NodeId c = doc.firstChild(parent);
        for (int i = 0; i < index && c != core::kNoNode; ++i) c = doc.nextSibling(c);
        return c;
    }
    // Focuses a node the way a click in VST does.
    void focusNode(core::NodeId node) {
        auto* tree = find<QTreeView>("VST");
        QModelIndex index = window.treeModel()->indexOf(node);
        tree->setCurrentIndex(index);
        tree->setFocus();
        QApplication::processEvents();
    }
    void key(QWidget* w, Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier) {
        w->setFocus();
        QTest::keyClick(w, k, m);
        QApplication::processEvents();
    }
    core::NodeId addTrack(const std::string& name, int points) {
        doc.NewTrack(name);
        for (int i = 1; i <= points; ++i)
            doc.AddTrackpoint("51." + std::to_string(i), "4.5", "1", "39569." + std::to_string(i));
        return doc.parent(doc.currentSegment);
    }
};

QStringList Captions(QMenu* menu) {
    QStringList out;
    for (QAction* a : menu->actions()) out << (a->isSeparator() ? "-" : a->text());
    return out;
}

}  // namespace

TEST(EditActions, MenusInTheirOrder) {
    Window w;
    EXPECT_EQ(Captions(w.window.editActions().treeMenu()),
              QStringList({"Edit list of points", "Edit point", "-", "Cut", "Copy", "Paste", "-", "New track",
                           "New route", "-", "Plot points", "Plot time/way diagram", "Plot time/height diagram",
                           "Plot time/speed diagram", "-", "Add to Waypoints", "Save points as..."}));
    EXPECT_EQ(Captions(w.window.editActions().listMenu()),
              QStringList({"&Edit", "-", "&Cut", "C&opy", "&Paste", "Select &all", "-", "&Calculate distance",
                           "&Move to closest point", "&Use time as point name", "-", "C&opy to tree"}));
    QStringList top;
    for (QAction* a : w.window.menuBar()->actions()) top << a->text();
    ASSERT_GE(top.size(), 2);
    EXPECT_EQ(top[1], "&Edit");
}

TEST(EditActions, SavePointsAsIsDisabledOnRoutesAndEnabledOnARoute) {
    Window w;
    w.doc.NewRoute("r");
    auto& actions = w.window.editActions();
    auto* tree = w.find<QTreeView>("VST");
    auto at = [&](core::NodeId node) { return tree->visualRect(w.window.treeModel()->indexOf(node)).center(); };
    actions.prepareTreeMenu(tree, at(w.doc.routes()));
    EXPECT_EQ(w.doc.focused(), w.doc.routes());  // the node under the mouse becomes focused
    EXPECT_FALSE(w.treeItem("mSaveTrack")->isEnabled());
    tree->expand(w.window.treeModel()->indexOf(w.doc.routes()));
    QApplication::processEvents();
    actions.prepareTreeMenu(tree, at(w.doc.currentRoute));
    EXPECT_EQ(w.doc.focused(), w.doc.currentRoute);
    EXPECT_TRUE(w.treeItem("mSaveTrack")->isEnabled());
    actions.prepareTreeMenu(tree, at(w.doc.metadata()));
    EXPECT_FALSE(w.treeItem("mSaveTrack")->isEnabled());
}

TEST(EditActions, EditListOfARoutePointShowsTheRouteAndDisablesTheTree) {
    Window w;
    w.doc.NewRoute("to work");
    for (const char* name : {"a", "b"}) w.doc.AddRoutepoint("51.5", "4.5", "", "", name, core::Symbol::none(), "", "");
    w.focusNode(w.child(w.doc.currentRoute, 2));
    w.treeItem("mShowPoints")->trigger();
    QApplication::processEvents();
    EXPECT_EQ(w.find<QTabWidget>("PageControl1")->currentIndex(), 0);
    EXPECT_EQ(w.find<QLineEdit>("Edit2")->text(), "to work");
    EXPECT_EQ(w.find<QTreeView>("LV1")->model()->rowCount(), 2);
    EXPECT_FALSE(w.find<QTreeView>("VST")->isEnabled());
    EXPECT_TRUE(w.find<QWidget>("Panel1")->isVisible());
    QTest::mouseClick(w.find<QPushButton>("btCancel"), Qt::LeftButton);
    EXPECT_TRUE(w.find<QTreeView>("VST")->isEnabled());
    EXPECT_FALSE(w.find<QWidget>("Panel1")->isVisible());
    EXPECT_EQ(w.find<QTreeView>("LV1")->model()->rowCount(), 0);
}

TEST(EditActions, DeleteRowsThenOkNumbersTheRestFromOne) {
    Window w;
    core::NodeId trk = w.addTrack("walk", 4);
    w.focusNode(trk);
    w.treeItem("mShowPoints")->trigger();
    auto* lv1 = w.find<QTreeView>("LV1");
    auto* model = lv1->model();
    lv1->selectionModel()->select(model->index(0, 0),
                                  QItemSelectionModel::Select | QItemSelectionModel::Rows);
    lv1->selectionModel()->select(model->index(2, 0),
                                  QItemSelectionModel::Select | QItemSelectionModel::Rows);
    w.key(lv1, Qt::Key_Delete);
    ASSERT_EQ(model->rowCount(), 2);
    EXPECT_EQ(model->index(1, 0).data().toString(), "2");
    QTest::mouseClick(w.find<QPushButton>("btOK"), Qt::LeftButton);
    core::NodeId seg = w.doc.segmentOf(trk);
    ASSERT_EQ(w.doc.childCount(seg), 2u);
    EXPECT_EQ(w.doc.getText(w.child(seg, 0)), "trkpt (1)");
    EXPECT_EQ(w.doc.getText(w.child(w.child(seg, 0), 0)), "lat = 51.2");
    EXPECT_EQ(w.doc.getText(w.child(seg, 1)), "trkpt (2)");
    EXPECT_EQ(w.doc.getText(w.child(w.child(seg, 1), 0)), "lat = 51.4");
    EXPECT_EQ(w.doc.getText(w.doc.countLineOf(trk)), "number = 2");
    EXPECT_TRUE(w.find<QTreeView>("VST")->isEnabled());

    // Ctrl+Z takes the OK back whole.
    w.key(w.find<QTreeView>("VST"), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(w.doc.childCount(w.doc.segmentOf(trk)), 4u);
}

TEST(EditActions, CtrlCOnAWaypointThenCtrlVOnWaypointsAddsACopy) {
    Window w;
    w.doc.AddWaypoint("51.5", "4.5", "2", "", "home", core::Symbol::none(), "", "");
    auto* tree = w.find<QTreeView>("VST");
    tree->expand(w.window.treeModel()->indexOf(w.doc.waypoints()));
    w.focusNode(w.child(w.doc.waypoints(), 0));
    w.key(tree, Qt::Key_C, Qt::ControlModifier);
    EXPECT_TRUE(w.host.fakeClipboard.content.starts_with("<gpx")) << w.host.fakeClipboard.content;
    w.focusNode(w.doc.waypoints());
    w.key(tree, Qt::Key_V, Qt::ControlModifier);
    ASSERT_EQ(w.doc.childCount(w.doc.waypoints()), 2u);
    EXPECT_EQ(w.doc.getText(w.child(w.doc.waypoints(), 1)), "wpt (home)");
}

TEST(EditActions, CtrlXOnATrackLeavesRowsThatPasteIntoAnEditedList) {
    Window w;
    core::NodeId trk = w.addTrack("walk", 3);
    w.addTrack("other", 1);
    auto* tree = w.find<QTreeView>("VST");
    w.focusNode(trk);
    w.key(tree, Qt::Key_X, Qt::ControlModifier);
    ASSERT_EQ(w.doc.childCount(w.doc.trackpoints()), 1u);
    w.focusNode(w.child(w.doc.trackpoints(), 0));
    w.treeItem("mShowPoints")->trigger();
    auto* lv1 = w.find<QTreeView>("LV1");
    ASSERT_EQ(lv1->model()->rowCount(), 1);
    w.key(lv1, Qt::Key_V, Qt::ControlModifier);
    ASSERT_EQ(lv1->model()->rowCount(), 4);
    EXPECT_EQ(lv1->model()->index(3, 1).data().toString(), "51.3");
    EXPECT_EQ(lv1->model()->index(3, 0).data().toString(), "4");
    QTest::mouseClick(w.find<QPushButton>("btCancel"), Qt::LeftButton);

    // Ctrl+Z brings the cut track back into the view.
    w.key(tree, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(w.window.treeModel()->rowCount(w.window.treeModel()->indexOf(w.doc.trackpoints())), 2);
    EXPECT_EQ(w.doc.getText(w.child(w.doc.trackpoints(), 0)), "trk (walk)");
}

TEST(EditActions, ListMenuEnablingFollowsTheView) {
    Window w;
    auto& actions = w.window.editActions();
    auto item = [&](const char* name) { return actions.listMenu()->findChild<QAction*>(name); };
    actions.prepareListMenu(w.find<QTreeView>("LV1"));
    EXPECT_TRUE(item("Verplaatsnaardichtsbijzijnde1")->isEnabled());
    EXPECT_TRUE(item("Gebruiktijdalspuntnaam1")->isEnabled());
    EXPECT_FALSE(item("KopieerNaarBoom")->isEnabled());
    actions.prepareListMenu(w.find<QTreeView>("LV2"));
    EXPECT_FALSE(item("Verplaatsnaardichtsbijzijnde1")->isEnabled());
    EXPECT_FALSE(item("Gebruiktijdalspuntnaam1")->isEnabled());
    EXPECT_TRUE(item("KopieerNaarBoom")->isEnabled());
}

TEST(EditActions, PointEditorSliderAndSymbolList) {
    host::FakeLocale locale;
    core::SymbolTable symbols;
    symbols.loadFromText("178\tFlag\n0\tAnchor\n18\tWaypoint\n100\tOdd One\n");
    core::ui::PointEditor editor;
    core::PointEditModel model;
    model.symbols = &symbols;
    model.locale = &locale;
    model.field(core::PointField::Sym) = "Waypoint";
    model.field(core::PointField::DateTime) = "39569,5";
    editor.load(model);
    auto* slider = editor.findChild<QSlider*>("TrackBar1");
    ASSERT_NE(slider, nullptr);
    EXPECT_EQ(slider->value(), 5);  // Waypoint (18) is the fifth of the 31
    EXPECT_EQ(editor.findChild<QLineEdit*>("Edit6")->text(), "01-05-2008");
    EXPECT_FALSE(editor.findChild<QCheckBox*>("CheckBox8")->isVisibleTo(&editor));  // single mode
    slider->setValue(11);
    EXPECT_EQ(editor.findChild<QLineEdit*>("Edit9")->text(), "Anchor");
    auto* list = editor.findChild<QComboBox*>("cbSymbols");
    list->setCurrentIndex(list->findText("Odd One"));
    emit list->textActivated("Odd One");
    EXPECT_EQ(slider->value(), 1);  // not one of the 31
    editor.store(model);
    EXPECT_EQ(model.field(core::PointField::Sym), "Odd One");
    EXPECT_TRUE(model.isChecked(core::PointField::Sym));
    EXPECT_FALSE(model.isChecked(core::PointField::Name));
}
