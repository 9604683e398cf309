#pragma once
// The program's main window as a user meets it: the real Qt host, the real
// dialogs and the real Workspace, started on a file in a private home folder.
// Two things differ from a user's desktop: documents and addresses the
// program hands to other programs are recorded instead of launched, and the
// dialogs a command shows are answered by the test, in the order it queues
// its answers, through the dialogs' own controls.

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QTreeView>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "../../temp_dir.h"
#include "app/ui/dialogs.h"
#include "app/ui/main_window.h"
#include "core/ui/tree_model.h"
#include "host/qt/qt_host.h"

namespace walk {

// Waits for a condition while the event loop runs; false after `ms`.
inline bool waitFor(const std::function<bool()>& condition, int ms = 5000) {
    QElapsedTimer t;
    t.start();
    while (!condition()) {
        if (t.elapsed() > ms) return false;
        QApplication::processEvents(QEventLoop::AllEvents, 10);
        QTest::qWait(5);
    }
    return true;
}

class RecordingShell : public host::Shell {
public:
    bool openDocument(const std::string& path) override {
        opened.push_back(path);
        return true;
    }
    std::vector<std::string> opened;
};

class WalkHost : public host::Host {
public:
    host::QtHost qt{true};
    RecordingShell shell_;
    host::Prompts& prompts() override { return qt.prompts(); }
    host::Timers& timers() override { return qt.timers(); }
    host::EventPump& eventPump() override { return qt.eventPump(); }
    const host::Clock& clock() const override { return qt.clock(); }
    const host::LocaleInfo& locale() const override { return qt.locale(); }
    host::Clipboard& clipboard() override { return qt.clipboard(); }
    host::Shell& shell() override { return shell_; }
    host::Network& network() override { return qt.network(); }
};

// What kind of dialog a modal window is: "message", "file", "input", a
// popup "menu", or the object name of one of our dialogs ("TfmSave").
inline QString KindOf(QWidget* w) {
    if (qobject_cast<QMessageBox*>(w)) return "message";
    if (qobject_cast<QFileDialog*>(w)) return "file";
    if (qobject_cast<QInputDialog*>(w)) return "input";
    if (qobject_cast<QMenu*>(w)) return "menu";
    return w->objectName();
}

// Answers modal dialogs and popup menus as they appear. Each answer names
// the kind it is for; a dialog nobody expected is noted and closed, so a
// command that asks more than the test knows fails instead of hanging.
class Answers {
public:
    using Act = std::function<void(QWidget*)>;
    Answers() {
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
        timer_.start();
    }
    void expect(const QString& kind, Act act) { queue_.push_back({kind, std::move(act)}); }
    bool allUsed() const { return queue_.empty(); }
    QStringList shown;       // "kind: text" of every dialog answered, menus left out
    QStringList unexpected;  // dialogs nobody expected

    // Ready-made answers.
    static Act button(QMessageBox::StandardButton b) {
        return [b](QWidget* w) { static_cast<QMessageBox*>(w)->button(b)->click(); };
    }
    static Act ok() { return button(QMessageBox::Ok); }
    // "No" where the box asks, "OK" where it tells.
    static Act dismiss() {
        return [](QWidget* w) {
            auto* box = static_cast<QMessageBox*>(w);
            (box->button(QMessageBox::No) ? box->button(QMessageBox::No) : box->button(QMessageBox::Ok))->click();
        };
    }
    static Act choose(const std::string& path) {
        return [path](QWidget* w) { chooseFile(static_cast<QFileDialog*>(w), QString::fromStdString(path), 100); };
    }
    static Act reject() {
        return [](QWidget* w) {
            if (auto* d = qobject_cast<QDialog*>(w)) d->reject();
        };
    }
    // Picks a popup menu's entry with the keyboard, as a user may.
    static Act pick(const char* name) {
        return [name](QWidget* w) {
            auto* menu = static_cast<QMenu*>(w);
            for (QAction* a : menu->actions())
                if (a->objectName() == name) {
                    EXPECT_TRUE(a->isEnabled()) << name << " is greyed out";
                    menu->setActiveAction(a);
                    QTest::keyClick(menu, Qt::Key_Return);
                    return;
                }
            ADD_FAILURE() << "no entry " << name << " in the menu";
            menu->close();
        };
    }

private:
    // The dialog lists its folder in the background and may put its own
    // selection back meanwhile: the choice is made until it sticks.
    static void chooseFile(QPointer<QFileDialog> d, QString path, int tries) {
        if (!d || !d->isVisible()) return;
        // Typed into the name field, as a user may type a whole path.
        if (auto* name = d->findChild<QLineEdit*>("fileNameEdit")) name->setText(path);
        else d->selectFile(path);
        static_cast<QDialog*>(d.data())->accept();  // public in QDialog
        if (tries > 0) QTimer::singleShot(20, [d, path, tries] { chooseFile(d, path, tries - 1); });
    }

    void poll() {
        // A menu or dialog that closed may show again: it is new then.
        handled_.removeIf([](const QPointer<QWidget>& p) { return !p || !p->isVisible(); });
        // An answer that did not close its dialog must not hang the run.
        if (!handled_.isEmpty() && clock_.isValid() && clock_.elapsed() > kStuckMs) {
            for (const QPointer<QWidget>& p : handled_)
                if (p) {
                    unexpected << "stuck: " + KindOf(p);
                    p->close();
                }
            handled_.clear();
        }
        QWidget* w = QApplication::activePopupWidget();
        if (!w) w = QApplication::activeModalWidget();
        if (!w || !w->isVisible() || handled_.contains(w)) return;
        handled_.append(w);
        clock_.start();
        QString kind = KindOf(w);
        QString text = kind == "message" ? static_cast<QMessageBox*>(w)->text() : w->windowTitle();
        for (auto it = queue_.begin(); it != queue_.end(); ++it)
            if (it->kind == kind) {
                Act act = std::move(it->act);
                queue_.erase(it);
                if (kind != "menu") shown << kind + ": " + text;
                // Answered after this tick: a dialog the answer opens must
                // find the poll free to answer it in turn.
                QPointer<QWidget> p(w);
                QTimer::singleShot(0, w, [this, act, p] {
                    act(p);
                    // A menu shown again at once is the same widget, and new.
                    if (p && !p->isVisible()) handled_.removeAll(p);
                });
                return;
            }
        unexpected << kind + ": " + text;
        w->close();
    }

    struct Answer {
        QString kind;
        Act act;
    };
    std::deque<Answer> queue_;
    static constexpr qint64 kStuckMs = 30000;
    QList<QPointer<QWidget>> handled_;
    QElapsedTimer clock_;  // since the last dialog was answered
    QTimer timer_;
};

// The window started the way the program starts, with a private home.
struct RealWindow {
    TempDir home;
    WalkHost host;
    std::unique_ptr<app::Workspace> ws;
    std::unique_ptr<app::ui::MainWindow> window;
    Answers answers;

    // `userSettings` is the UserData.ini the run starts with.
    // `prepare` sees the user's folder before the program starts, as files
    // an earlier run left there.
    explicit RealWindow(const std::string& file, const std::string& userSettings = "[Languages]\nCurrentLanguage=2\n",
                        const std::function<void(const std::string& home)>& prepare = {}) {
        // An opened file shows on the map: tests never ask a public tile
        // server for tiles, so without a tile address of their own the map
        // has none.
        home.write("UserData.ini", userSettings.find("[Map]") == std::string::npos
                                       ? userSettings + "\n[Map]\nTileUrl=\n"
                                       : userSettings);
        if (prepare) prepare(home.path());
        app::PathEnv env{QCoreApplication::applicationDirPath().toStdString(), home.path(), "", "", home.path(),
                         PATHKEEP_DATA_DIR, home.path(), ""};
        ws = std::make_unique<app::Workspace>(host, app::BuildPaths(env));
        window = std::make_unique<app::ui::MainWindow>(*ws);
        app::ui::RegisterDialogs(host.qt.qtPrompts(), *window);
        window->show();
        // Keyboard focus needs the active window, also on a display
        // without a window manager.
        window->activateWindow();
        (void)QTest::qWaitForWindowActive(window.get(), 2000);
        window->startUp(file);
        QApplication::processEvents();
    }
    ~RealWindow() {
        // Whatever the test left open is closed without questions.
        ws->document.documentModified = false;
        window->hide();
    }

    template <typename T = QObject>
    T* find(const char* name) const {
        T* o = window->findChild<T*>(name);
        EXPECT_NE(o, nullptr) << name;
        return o;
    }
    core::Document& doc() const { return ws->document; }
    core::NodeId child(core::NodeId parent, int index) const {
        core::NodeId c = doc().firstChild(parent);
        for (int i = 0; i < index && c != core::kNoNode; ++i) c = doc().nextSibling(c);
        return c;
    }
    // The first child of `parent` whose text begins with `prefix`.
    core::NodeId childNamed(core::NodeId parent, const std::string& prefix) const {
        for (core::NodeId c = doc().firstChild(parent); c != core::kNoNode; c = doc().nextSibling(c))
            if (doc().getText(c).rfind(prefix, 0) == 0) return c;
        return core::kNoNode;
    }
    QString logText() const { return find<QPlainTextEdit>("mBerichtenlog")->toPlainText(); }

    // A right click on a node of the tree, then the entry `item` of its menu.
    void treeMenu(core::NodeId node, const char* item) {
        auto* tree = find<QTreeView>("VST");
        QModelIndex index = window->treeModel()->indexOf(node);
        for (QModelIndex p = index.parent(); p.isValid(); p = p.parent()) tree->expand(p);
        tree->scrollTo(index);
        QApplication::processEvents();
        EXPECT_TRUE(tree->visualRect(index).isValid()) << "node not on screen";
        QPoint pos = tree->visualRect(index).center();
        answers.expect("menu", Answers::pick(item));
        QContextMenuEvent event(QContextMenuEvent::Mouse, pos, tree->viewport()->mapToGlobal(pos));
        QApplication::sendEvent(tree->viewport(), &event);
        QApplication::processEvents();
    }
    // A right click on row `row` of LV1 or LV2, then the entry `item`.
    void listMenu(const char* list, int row, const char* item) {
        auto* view = find<QTreeView>(list);
        QModelIndex index = view->model()->index(row, 1);
        view->setFocus();
        view->setCurrentIndex(index);
        view->selectionModel()->select(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        QPoint pos = view->visualRect(index).center();
        answers.expect("menu", Answers::pick(item));
        QContextMenuEvent event(QContextMenuEvent::Mouse, pos, view->viewport()->mapToGlobal(pos));
        QApplication::sendEvent(view->viewport(), &event);
        QApplication::processEvents();
    }
    // A command of the main menu, by the action's object name.
    void menu(const char* action) {
        auto* a = find<QAction>(action);
        ASSERT_TRUE(a->isEnabled()) << action;
        a->trigger();
        QApplication::processEvents();
    }
    // A click on the tool bar's button for an action.
    void toolButton(const char* action) {
        auto* bar = find<QToolBar>("ToolBar1");
        QWidget* button = bar->widgetForAction(find<QAction>(action));
        ASSERT_NE(button, nullptr) << action;
        QTest::mouseClick(button, Qt::LeftButton);
        QApplication::processEvents();
    }
};

}  // namespace walk
