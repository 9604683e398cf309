#include "app/ui/language_apply.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QKeySequence>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QRadioButton>
#include <QTabWidget>
#include <QToolBar>
#include <QTreeView>

#include "app/ui/main_window.h"
#include "core/ui/list_model.h"
#include "host/fake/fake_host.h"

using namespace app;

namespace {

const std::string kShipped = std::string(PATHKEEP_DATA_DIR) + "/Pathkeep.ini";

template <typename T>
T* named(QObject* root, const char* name) {
    T* o = root->findChild<T*>(name);
    EXPECT_NE(o, nullptr) << name;
    return o;
}

// A small main window with one control of each kind the language touches.
struct MiniMain {
    QMainWindow window;
    core::ListRows rows;
    core::ui::ListModel model{rows};
    QMenu* languages = nullptr;

    MiniMain() {
        window.setObjectName("MainForm");
        QMenu* file = window.menuBar()->addMenu("&File");
        file->setObjectName("Bestand1");
        QAction* open = file->addAction("&Open...");
        open->setObjectName("acOpenen");
        open->setToolTip("Open");
        QMenu* extra = window.menuBar()->addMenu("&Extra");
        extra->setObjectName("Extra1");
        languages = extra->addMenu("&Language");
        languages->setObjectName("Taal1");
        window.addToolBar("ToolBar1")->addAction(open);

        auto* pages = new QTabWidget(&window);
        pages->setObjectName("PageControl1");
        auto* points = new QWidget;
        points->setObjectName("TabSheet1");
        auto* view = new QTreeView(points);
        view->setObjectName("LV1");
        view->setModel(&model);
        pages->addTab(points, "Points");
        auto* simulation = new QWidget;
        simulation->setObjectName("TabSheet4");
        auto* repeat = new QGroupBox("Transmit tracklog as NMEA", simulation);
        repeat->setObjectName("gbSimulation");
        (new QRadioButton("Given speed", repeat))->setObjectName("RadioButton5");
        (new QLabel("Interval time:", repeat))->setObjectName("lbInterval");
        pages->addTab(simulation, "NMEA simulation");
        window.setCentralWidget(pages);
    }
};

}  // namespace

TEST(ApplyLanguage, TranslatedFileMenuKeepsItsAccessKey) {
    MiniMain m;
    IniFile ini = IniFile::fromText("[Languages]\nnumber=2\nprefix2=gb\n[Menus]\ngb1=&Bestand\n");
    ui::ApplyLanguage(&m.window, ReadLanguage(ini, 2));
    QMenu* file = named<QMenu>(&m.window, "Bestand1");
    EXPECT_EQ(file->title(), "&Bestand");
    EXPECT_EQ(QKeySequence::mnemonic(file->title()), QKeySequence(Qt::ALT | Qt::Key_B));
    EXPECT_EQ(named<QAction>(&m.window, "acOpenen")->text(), "&Open...");
}

TEST(LanguageMenu, OneCheckMarkFollowsTheChoice) {
    QMenu menu;
    std::vector<int> chosen;
    ui::FillLanguageMenu(&menu, LanguageMenu(IniFile::load(kShipped)), [&](int i) { chosen.push_back(i); });
    ASSERT_EQ(menu.actions().size(), 3);
    EXPECT_EQ(menu.actions()[2]->text(), "Deutsch");

    ui::CheckLanguage(&menu, 1);
    menu.actions()[2]->trigger();
    ui::CheckLanguage(&menu, 3);
    EXPECT_EQ(chosen, std::vector<int>{2});
    EXPECT_FALSE(menu.actions()[0]->isChecked());
    EXPECT_FALSE(menu.actions()[1]->isChecked());
    EXPECT_TRUE(menu.actions()[2]->isChecked());

    ui::CheckLanguage(&menu, 9);  // beyond the menu: nothing stays checked
    for (QAction* a : menu.actions()) EXPECT_FALSE(a->isChecked());
}

