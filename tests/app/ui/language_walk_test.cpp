// Every text of the language file on the widget it belongs to, in each of
// the three languages, in the real window and in the dialogs its commands
// show; and every key of the file used by some widget.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <set>

#include "app/localisation.h"
#include "capture/fake/fake_desktop.h"
#include "capture/ui/locator_form.h"
#include "real_window.h"

using walk::Answers;
using walk::RealWindow;

namespace {

const std::string kDemo = std::string(PATHKEEP_DATA_DIR) + "/demo.gpx";
const std::string kShipped = std::string(PATHKEEP_DATA_DIR) + "/Pathkeep.ini";
const std::string kCsv = std::string(PATHKEEP_TEST_DATA_DIR) + "/csv/libreoffice.csv";

// What a widget shows for the role a text of the language has there.
std::optional<QString> Shown(QObject* o, const app::TextTarget& t) {
    switch (t.role) {
        case app::TextRole::Caption:
            if (auto* a = qobject_cast<QAction*>(o)) return a->text();
            if (auto* m = qobject_cast<QMenu*>(o)) return m->title();
            if (auto* b = qobject_cast<QAbstractButton*>(o)) return b->text();
            if (auto* l = qobject_cast<QLabel*>(o)) return l->text();
            if (auto* g = qobject_cast<QGroupBox*>(o)) return g->title();
            return std::nullopt;
        case app::TextRole::Hint:
            if (auto* a = qobject_cast<QAction*>(o)) return a->toolTip();
            if (auto* w = qobject_cast<QWidget*>(o)) return w->toolTip();
            return std::nullopt;
        case app::TextRole::WindowTitle:
            if (auto* w = qobject_cast<QWidget*>(o)) return w->windowTitle();
            return std::nullopt;
        case app::TextRole::PageCaption:
            for (QObject* p = o->parent(); p; p = p->parent())
                if (auto* tabs = qobject_cast<QTabWidget*>(p)) {
                    int i = tabs->indexOf(static_cast<QWidget*>(o));
                    if (i >= 0) return tabs->tabText(i);
                }
            return std::nullopt;
        case app::TextRole::ListItem:
            if (auto* c = qobject_cast<QComboBox*>(o)) return c->itemText(t.index);
            if (auto* l = qobject_cast<QListWidget*>(o))
                return t.index < l->count() ? l->item(t.index)->text() : QString();
            return std::nullopt;
        case app::TextRole::ColumnCaption:
            if (auto* v = qobject_cast<QAbstractItemView*>(o))
                return v->model()->headerData(t.index, Qt::Horizontal, Qt::DisplayRole).toString();
            return std::nullopt;
    }
    return std::nullopt;
}

// Checks every text of the language meant for `window`; notes what it saw.
struct Checker {
    app::LanguageTexts language;
    std::set<std::string> seen;  // "window/object"
    QStringList wrong;

    void check(QWidget* window) {
        std::string name = window->objectName().toStdString();
        for (const app::AppliedText& t : language.forWindow(name)) {
            QString object = QString::fromUtf8(t.target.object);
            QList<QObject*> found =
                window->objectName() == object ? QList<QObject*>{window} : window->findChildren<QObject*>(object);
            for (QObject* o : found) {
                std::optional<QString> shown = Shown(o, t.target);
                if (!shown) continue;
                seen.insert(name + "/" + t.target.object);
                if (*shown != QString::fromStdString(t.text))
                    wrong << QString("%1/%2 shows \"%3\", not \"%4\"")
                                 .arg(window->objectName(), object, *shown, QString::fromStdString(t.text));
            }
        }
    }
    Answers::Act checkThenClose() {
        return [this](QWidget* w) {
            check(w);
            static_cast<QDialog*>(w)->reject();
        };
    }
};

// The dialogs, each reached through the command a user gives for it.
void VisitDialogs(RealWindow& w, Checker& c) {
    w.answers.expect("TfmSave", c.checkThenClose());
    w.menu("acOpslaan");
    // A text export asks for its fields.
    w.answers.expect("TfmSave", [&c, &w](QWidget* d) {
        c.check(d);
        d->findChild<QRadioButton*>("RadioFormat4")->click();
        d->findChild<QLineEdit*>("Edit1")->setText(QString::fromStdString(w.home.file("fields")));
        static_cast<QDialog*>(d)->accept();
    });
    w.answers.expect("message", Answers::button(QMessageBox::Yes));  // track points or waypoints
    w.answers.expect("TfmSelectField", c.checkThenClose());
    w.menu("acOpslaan");
    w.answers.expect("TfmSettings", c.checkThenClose());
    w.menu("Instellingen2");
    w.answers.expect("TfmNmeaLogFile", c.checkThenClose());
    w.menu("NMEAlogfile1");
    w.answers.expect("TPointEditor", c.checkThenClose());
    w.treeMenu(w.child(w.doc().waypoints(), 0), "mEditPoint");
    w.answers.expect("OcrForm", c.checkThenClose());
    w.window->captureCommands().Button11Click([](bool) {});
    w.answers.expect("file", Answers::choose(kCsv));
    w.answers.expect("TfrmImportWizzard", c.checkThenClose());
    w.menu("acOpenen");
}

class LanguageWalk : public ::testing::TestWithParam<int> {};

TEST_P(LanguageWalk, EveryWidgetShowsItsLanguage) {
    int language = GetParam();
    RealWindow w(kDemo, "[Languages]\nCurrentLanguage=" + std::to_string(language) + "\n");
    Checker c{app::ReadLanguage(app::IniFile::load(kShipped), language), {}, {}};
    c.check(w.window.get());
    w.window->setDesktop(std::make_unique<capture::FakeDesktop>());
    c.check(w.window->locatorForm());
    VisitDialogs(w, c);
    EXPECT_TRUE(w.answers.allUsed()) << w.answers.shown.join("; ").toStdString();
    EXPECT_TRUE(w.answers.unexpected.isEmpty()) << w.answers.unexpected.join("; ").toStdString();
    EXPECT_TRUE(c.wrong.isEmpty()) << c.wrong.join("\n").toStdString();

    // Every text of the table reached a widget.
    QStringList unseen;
    for (const app::TextKey& key : app::LanguageTextKeys())
        for (const app::TextTarget& t : key.targets)
            if (!c.seen.count(std::string(t.window) + "/" + t.object))
                unseen << QString("%1 %2 -> %3/%4").arg(key.section).arg(key.number).arg(t.window, t.object);
    EXPECT_TRUE(unseen.isEmpty()) << unseen.join("\n").toStdString();
}

INSTANTIATE_TEST_SUITE_P(Languages, LanguageWalk, ::testing::Values(1, 2, 3),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return std::string(info.param == 1 ? "Nederlands" : info.param == 2 ? "English" : "Deutsch");
                         });

// Every key of the shipped file is one the program reads.
TEST(LanguageFile, EveryKeyHasAWidget) {
    app::IniFile ini = app::IniFile::load(kShipped);
    std::set<std::pair<std::string, int>> known;
    for (const app::TextKey& key : app::LanguageTextKeys()) known.insert({key.section, key.number});
    QStringList stray;
    for (const std::string& section : ini.sections()) {
        if (section == "Languages" || section == "Messages") continue;
        for (const auto& [key, value] : ini.entries(section)) {
            size_t digits = key.find_first_of("0123456789");
            if (digits == std::string::npos) continue;
            if (!known.count({section, std::stoi(key.substr(digits))}))
                stray << QString::fromStdString(section + "/" + key);
        }
    }
    EXPECT_TRUE(stray.isEmpty()) << stray.join(" ").toStdString();
}

}  // namespace
