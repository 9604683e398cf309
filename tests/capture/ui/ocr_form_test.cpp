#include "capture/ui/ocr_form.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

#include "../box_screen.h"
#include "app/localisation.h"
#include "app/ui/language_apply.h"
#include "app/ui/main_window.h"
#include "capture/ui/capture_hint.h"
#include "capture/ui/ocr_table_editor.h"
#include "host/fake/fake_host.h"
#include "../../temp_dir.h"

using namespace capture;

namespace {

struct Form {
    host::FakeHost host;
    FakeDesktop desktop;
    std::vector<std::string> reports;
    Route66Capture capture{desktop, host,
                           [](const OcrProfile& p) { return FindTableFile(p.tableFile, {PATHKEEP_DATA_DIR}); },
                           [this](const std::string& s) { reports.push_back(s); }};
    ui::TOcrForm form{capture};

    Form() {
        desktop.pointerAt = {400, 300};
        capture.hintText = "To copy GPS co-ordinates use: T = Trackpoint, W = Waypoint";
    }
    template <typename T>
    T* find(const char* name) {
        T* w = form.findChild<T*>(name);
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
};

}  // namespace

TEST(OcrForm, ShowsTheCaptureAndTypedKeysRecordPositions) {
    Form f;
    f.form.show();
    QApplication::processEvents();
    EXPECT_EQ(f.form.windowTitle(), "OcrForm");
    EXPECT_TRUE(f.form.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(f.find<QRadioButton>("RadioButton1")->isChecked());
    EXPECT_EQ(f.find<QRadioButton>("RadioButton2")->text(), "Version 2004");
    EXPECT_EQ(f.find<QLabel>("Image1")->size(), QSize(156, 52));
    EXPECT_TRUE(f.form.hint().isVisible());
    EXPECT_EQ(f.form.hint().size(), QSize(533, 26));
    EXPECT_EQ(f.form.hint().text().toStdString(), f.capture.hintText);
    EXPECT_EQ(f.desktop.hotKeys.count(kSpaceHotKey), 1u);

    ShowBox(f.desktop, OcrVersion::V2002, CoordinateBoxLines(52.08675, 4.5, true));
    // A key typed on a read-only line field reaches the capture as well.
    QTest::keyClick(f.find<QLineEdit>("Edit1"), Qt::Key_T);
    QTest::keyClick(&f.form, Qt::Key_W);
    // The rest of the box is blank, read as blanks.
    EXPECT_EQ(f.find<QLineEdit>("Edit2")->text().trimmed().toStdString(), "Breedtegraad: N 52\u00B0 05' 12.3\"");
    EXPECT_EQ(f.find<QLineEdit>("Edit5")->text().toStdString(), "N 52\u00B0 05' 12.3\"");
    EXPECT_EQ(f.find<QPlainTextEdit>("Memo1")->toPlainText().toStdString(),
              "T B: 52.086750000 L: 4.5000000000\nW B: 52.086750000 L: 4.5000000000");
    EXPECT_FALSE(f.find<QLabel>("Image2")->pixmap().isNull());

    // A key typed in an editable co-ordinate field is a capture key too, and
    // the field gets it as well (after the capture has filled it).
    QTest::keyClick(f.find<QLineEdit>("Edit6"), Qt::Key_T);
    EXPECT_EQ(f.capture.results().size(), 3u);
    EXPECT_EQ(f.find<QLineEdit>("Edit6")->text().toStdString(), "O 4\u00B0 30' 0.0\"t");

    f.find<QPushButton>("btReady")->click();
    EXPECT_FALSE(f.form.isVisible());
    EXPECT_FALSE(f.form.hint().isVisible());
    EXPECT_TRUE(f.desktop.hotKeys.empty());
}

TEST(OcrForm, VersionDebugAndHintBlinking) {
    Form f;
    f.form.show();
    QApplication::processEvents();
    QPushButton* save = f.find<QPushButton>("Button1");
    EXPECT_FALSE(save->isVisible());
    f.find<QCheckBox>("CheckBox1")->click();
    EXPECT_TRUE(save->isVisible());
    EXPECT_TRUE(f.capture.debug);

    f.find<QRadioButton>("RadioButton2")->click();
    EXPECT_EQ(f.capture.version(), OcrVersion::V2004);
    EXPECT_EQ(f.find<QLabel>("Image1")->size(), QSize(310, 39));
    f.find<QScrollBar>("ScrollBar2")->setValue(-5);
    EXPECT_EQ(f.capture.offset().y, 12);

    QColor before = f.form.hint().textColour();
    QTest::qWait(ui::TCaptureHint::kBlinkMs + 150);
    EXPECT_NE(f.form.hint().textColour(), before);
    f.form.reject();
}

TEST(OcrTableEditor, SavesTheBlockAsACharacter) {
    TempDir dir;
    std::string table = dir.write("ocr2002.ini", "[ascii-65]\nlength=1\nkar=A\ns1=0000000000\n");
    std::string data = dir.write("OcrData.txt", std::string(156, '.') + "\r\n");
    ui::TOcrTable editor(table, data, ProfileOf(OcrVersion::V2002));
    auto* sections = editor.findChild<QListWidget*>("ListBox1");
    ASSERT_NE(sections, nullptr);
    ASSERT_EQ(sections->count(), 1);
    sections->setCurrentRow(0);
    EXPECT_EQ(editor.findChild<QLineEdit*>("Edit1")->text(), "65");
    EXPECT_EQ(editor.findChild<QLineEdit*>("Edit2")->text(), "A");
    editor.findChild<QLineEdit*>("Edit1")->setText("66");
    editor.findChild<QLineEdit*>("Edit2")->setText("B");
    editor.findChild<QScrollBar*>("ScrollBar3")->setValue(2);
    editor.findChild<QScrollBar*>("ScrollBar2")->setValue(0);  // the block holds the dump's one row
    ASSERT_TRUE(editor.saveCharacter());
    OcrTable t = ReadOcrTable(table);
    EXPECT_EQ(t.entries['B'].length, 2);
    EXPECT_EQ(t.entries['B'].columns[0], ".");
    EXPECT_EQ(t.entries['A'].columns[0], "0000000000");
    EXPECT_EQ(sections->count(), 2);
}

TEST(RoutePlannerPage, StartWithoutADesktopSaysSoAndKeepsTheWindow) {
    host::FakeHost host;
    app::Workspace ws{host, app::BuildPaths({"/nonexistent", "/tmp", "", "", "", PATHKEEP_DATA_DIR, "", ""})};
    app::ui::MainWindow window{ws};
    auto fake = std::make_unique<FakeDesktop>();
    fake->isAvailable = false;
    window.setDesktop(std::move(fake));
    window.show();
    QApplication::processEvents();
    auto* button = window.findChild<QPushButton*>("Button11");
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->text(), "Start Route66 Capture");
    bool dialogShown = false;
    host.fakePrompts.fillDialog = [&](host::DialogModel&) { dialogShown = true; };
    button->click();
    EXPECT_FALSE(dialogShown);
    EXPECT_TRUE(window.isVisible());
    ASSERT_FALSE(host.fakePrompts.asked.empty());
    EXPECT_EQ(host.fakePrompts.asked.back().severity, host::Severity::Error);
}

TEST(RoutePlannerPage, StartHidesTheMainWindowWhileCapturing) {
    host::FakeHost host;
    app::Workspace ws{host, app::BuildPaths({"/nonexistent", "/tmp", "", "", "", PATHKEEP_DATA_DIR, "", ""})};
    app::ui::MainWindow window{ws};
    auto fake = std::make_unique<FakeDesktop>();
    fake->pointerAt = {300, 200};
    FakeDesktop* desktop = fake.get();
    window.setDesktop(std::move(fake));
    window.show();
    QApplication::processEvents();
    bool hiddenMeanwhile = false;
    host.fakePrompts.fillDialog = [&](host::DialogModel& model) {
        hiddenMeanwhile = !window.isVisible();
        auto& c = dynamic_cast<Route66Capture&>(model);
        c.show(1);
        ShowBox(*desktop, OcrVersion::V2002, CoordinateBoxLines(52.08675, 4.5, true));
        c.keyPress('t');
        c.close();
    };
    window.findChild<QPushButton*>("Button11")->click();
    EXPECT_TRUE(hiddenMeanwhile);
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.captureCommands().route66().results().size(), 1u);
}

// The language table reaches the capture window and the page's commands by
// their object names; the window made for each capture gets the language
// last applied.
TEST(RoutePlannerPage, TheCaptureWindowAndItsCommandSpeakTheChosenLanguage) {
    host::FakeHost host;
    app::Workspace ws{host, app::BuildPaths({"/nonexistent", "/tmp", "", "", "", PATHKEEP_DATA_DIR, "", ""})};
    app::ui::MainWindow window{ws};
    app::LanguageTexts dutch =
        app::ReadLanguage(app::IniFile::load(std::string(PATHKEEP_DATA_DIR) + "/Pathkeep.ini"), 1);
    app::ui::ApplyLanguageToAllWindows(dutch);
    EXPECT_EQ(window.findChild<QPushButton*>("Button11")->text(), "Route66 uitlezen starten");

    Form f;
    QStringList missed = app::ui::ApplyLanguage(&f.form, dutch);
    EXPECT_TRUE(missed.isEmpty()) << missed.join(", ").toStdString();
    EXPECT_EQ(f.find<QLabel>("lbCaptured")->text(), "Vastgelegde co\u00F6rdinaten");
}
