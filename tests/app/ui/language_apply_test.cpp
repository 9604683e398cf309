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

TEST(ApplyLanguage, DutchReachesEveryKindOfControl) {
    MiniMain m;
    LanguageTexts nl = ReadLanguage(IniFile::load(kShipped), 1);
    QStringList missed = ui::ApplyLanguage(&m.window, nl);

    EXPECT_EQ(named<QMenu>(&m.window, "Bestand1")->title(), "&Bestand");
    EXPECT_EQ(named<QAction>(&m.window, "acOpenen")->text(), "&Openen...");
    EXPECT_EQ(named<QAction>(&m.window, "acOpenen")->toolTip(), "Openen");
    EXPECT_EQ(named<QMenu>(&m.window, "Taal1")->title(), "&Taal");
    auto* pages = named<QTabWidget>(&m.window, "PageControl1");
    EXPECT_EQ(pages->tabText(0), "Punten");
    EXPECT_EQ(pages->tabText(1), "NMEA simulatie");
    EXPECT_EQ(m.model.headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), "Breedtegraad");
    EXPECT_EQ(m.model.headerData(10, Qt::Horizontal, Qt::DisplayRole).toString(), "Omschrijving");
    EXPECT_EQ(named<QGroupBox>(&m.window, "gbSimulation")->title(), "Tracklog als NMEA verzenden");
    EXPECT_EQ(named<QRadioButton>(&m.window, "RadioButton5")->text(), "Opgegeven snelheid");
    EXPECT_EQ(named<QLabel>(&m.window, "lbInterval")->text(), "Intervaltijd:");

    // Controls this small window lacks are reported, the ones it has are not.
    EXPECT_TRUE(missed.contains("LV2"));
    EXPECT_TRUE(missed.contains("TabSheet3"));
    EXPECT_FALSE(missed.contains("LV1"));
    EXPECT_FALSE(missed.contains("Bestand1"));
    // Texts of other windows are left to those windows.
    EXPECT_FALSE(missed.contains("cbDataType"));
}

TEST(ApplyLanguage, TranslatedFileMenuKeepsItsAccessKey) {
    MiniMain m;
    IniFile ini = IniFile::fromText("[Languages]\nnumber=2\nprefix2=gb\n[Menus]\ngb1=&Bestand\n");
    ui::ApplyLanguage(&m.window, ReadLanguage(ini, 2));
    QMenu* file = named<QMenu>(&m.window, "Bestand1");
    EXPECT_EQ(file->title(), "&Bestand");
    EXPECT_EQ(QKeySequence::mnemonic(file->title()), QKeySequence(Qt::ALT | Qt::Key_B));
    EXPECT_EQ(named<QAction>(&m.window, "acOpenen")->text(), "&Open...");
}

TEST(ApplyLanguage, DialogWindowTitleAndBuiltList) {
    QDialog wizard;
    wizard.setObjectName("TfrmImportWizzard");
    for (int i = 0; i < 2; ++i) (new QComboBox(&wizard))->setObjectName("cbDataType");
    (new QRadioButton("Tab", &wizard))->setObjectName("rbTab");
    QDialog save;
    save.setObjectName("TfmSave");

    LanguageTexts ge = ReadLanguage(IniFile::load(kShipped), 3);
    ui::ApplyLanguageToAllWindows(ge);
    EXPECT_EQ(save.windowTitle(), "Punkte speichern als");
    EXPECT_EQ(named<QRadioButton>(&wizard, "rbTab")->text(), "Tabulator");
    const QStringList expected = {"<überspringen>", "Breite", "Länge", "Zeit", "Höhe (m)"};
    for (QComboBox* c : wizard.findChildren<QComboBox*>("cbDataType")) {
        ASSERT_EQ(c->count(), 5);
        for (int i = 0; i < 5; ++i) EXPECT_EQ(c->itemText(i), expected[i]);
    }
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

// The program's own main window carries the names the language table uses.
TEST(ApplyLanguage, TheMainWindowSpeaksDutch) {
    host::FakeHost host;
    Workspace ws{host, BuildPaths({"/nonexistent", "/tmp", "", "", "", PATHKEEP_DATA_DIR, "", ""})};
    ui::MainWindow window{ws};
    QStringList missed = ui::ApplyLanguage(&window, ReadLanguage(IniFile::load(kShipped), 1));
    for (const char* name : {"Bestand1", "acOpenen", "acOpslaan", "Sluiten1", "Afsluiten1", "btGoogle", "LV1", "LV2",
                             "TabSheet1", "TabSheet5", "TabSheet8", "Button6"})
        EXPECT_FALSE(missed.contains(name)) << name;
    auto* pages = named<QTabWidget>(&window, "PageControl1");
    EXPECT_EQ(pages->tabText(0), "Punten");
    EXPECT_EQ(pages->tabText(4), "Berichtenlog");
    EXPECT_EQ(named<QMenu>(&window, "Bestand1")->title(), "&Bestand");
    EXPECT_EQ(named<QAction>(&window, "btGoogle")->toolTip(), "Tonen in Google Earth");
    auto* lv1 = named<QTreeView>(&window, "LV1");
    EXPECT_EQ(lv1->model()->headerData(2, Qt::Horizontal, Qt::DisplayRole).toString(), "Lengtegraad");
}
