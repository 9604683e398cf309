#include "plot/ui/plot_page.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QToolButton>

#include "../../temp_dir.h"
#include "host/fake/fake_host.h"

namespace {

struct Page {
    host::FakeHost host;
    app::Workspace ws{host, app::BuildPaths({"/nonexistent", "/tmp", "", "", "", PATHKEEP_DATA_DIR, "", ""})};
    plot::ui::PlotPage page{ws};
    Page() {
        ws.create();
        page.resize(600, 400);
        page.show();
        QApplication::processEvents();
    }
    template <typename T>
    T* find(const char* name) {
        return page.findChild<T*>(name);
    }
    void twoPointTrack() {
        ws.document.NewTrack("a");
        ws.document.AddTrackpoint("10", "20", "100", "40000");
        ws.document.AddTrackpoint("10.9", "21.8", "200", "40000.5");
        ws.document.setFocused(ws.document.parent(ws.document.currentSegment));
    }
};

}  // namespace

TEST(PlotPageTest, ControlsAndDefaults) {
    Page p;
    ASSERT_NE(p.find<QWidget>("Image1"), nullptr);
    ASSERT_NE(p.find<QToolButton>("SpeedButton18"), nullptr);
    EXPECT_EQ(p.find<QToolButton>("SpeedButton18")->text(), "Save image");
    ASSERT_NE(p.find<QLineEdit>("Edit1"), nullptr);
    EXPECT_EQ(p.find<QLineEdit>("Edit1")->text(), "200");
    auto* label = p.find<QLabel>("lbMaxHeight");
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text(), "maximum height (in meters):");
    struct Box {
        const char* name;
        const char* caption;
        bool checked;
    } boxes[] = {{"cbShowHeight", "Print altitude", false},
                 {"cbHeightColor", "Altitude in colors", true},
                 {"cbConnect", "Connect points", true},
                 {"cbShowNames", "Print names", false},
                 {"cbSlow", "Plot slowly", false}};
    for (const auto& b : boxes) {
        auto* box = p.find<QCheckBox>(b.name);
        ASSERT_NE(box, nullptr) << b.name;
        EXPECT_EQ(box->text(), b.caption);
        EXPECT_EQ(box->isChecked(), b.checked) << b.name;
    }
    ASSERT_NE(p.find<QPlainTextEdit>("Memo1"), nullptr);
    EXPECT_FALSE(p.find<QPlainTextEdit>("Memo1")->isVisible());
    // Image1 fills what the controls leave, and the canvas has its size.
    auto* image = p.find<QWidget>("Image1");
    EXPECT_EQ(image->width(), 600);
    EXPECT_EQ(p.page.canvas().width(), image->width());
    EXPECT_EQ(p.page.canvas().height(), image->height());
}

TEST(PlotPageTest, PlotPointsThenResize) {
    Page p;
    p.twoPointTrack();
    bool shown = false;
    p.page.showPage = [&] { shown = true; };
    ASSERT_TRUE(p.page.runCommand(plot::ui::PlotPage::Command::Points).isDone());
    EXPECT_TRUE(shown);
    EXPECT_EQ(p.ws.document.plotMode, plot::kPlotPoints);
    const QImage& img = p.page.canvas().image();
    int red = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) red += img.pixel(x, y) == qRgb(255, 0, 0);
    EXPECT_GT(red, 100);  // the line between the two points
    EXPECT_FALSE(p.find<QPlainTextEdit>("Memo1")->toPlainText().isEmpty());

    p.page.resize(580, 300);
    QApplication::processEvents();
    EXPECT_EQ(p.ws.document.plotMode, plot::kPlotNothing);
    const QImage& blank = p.page.canvas().image();
    EXPECT_EQ(blank.width(), 580);
    int notWhite = 0;
    for (int y = 0; y < blank.height(); ++y)
        for (int x = 0; x < blank.width() - 80; ++x) notWhite += blank.pixel(x, y) != qRgb(255, 255, 255);
    EXPECT_EQ(notWhite, 0);  // only the legend at the right
}

TEST(PlotPageTest, Edit1IsRaisedAndABadOneIsReported) {
    Page p;
    p.twoPointTrack();
    p.find<QLineEdit>("Edit1")->setText("150");
    ASSERT_TRUE(p.page.runCommand(plot::ui::PlotPage::Command::TimeHeight).isDone());
    EXPECT_EQ(p.find<QLineEdit>("Edit1")->text(), "210");  // maxAlt 200 -> next multiple of 10 above
    p.find<QLineEdit>("Edit1")->setText("x1");
    EXPECT_TRUE(p.page.runCommand(plot::ui::PlotPage::Command::TimeSpeed).isFailed());
    ASSERT_FALSE(p.host.fakePrompts.asked.empty());
    EXPECT_EQ(p.host.fakePrompts.asked.back().text, "'x1' is not a valid integer value");
    EXPECT_EQ(p.host.fakePrompts.asked.back().severity, host::Severity::Error);
}

TEST(PlotPageTest, SaveImageWritesABitmapWhateverTheName) {
    Page p;
    p.twoPointTrack();
    ASSERT_TRUE(p.page.runCommand(plot::ui::PlotPage::Command::TimeWay).isDone());
    TempDir dir;
    p.host.fakePrompts.paths.push_back(dir.file("plot.png"));
    p.find<QToolButton>("SpeedButton18")->click();
    QImage back(QString::fromStdString(dir.file("plot.bmp")));
    ASSERT_FALSE(back.isNull());
    EXPECT_EQ(back.size(), p.page.canvas().image().size());
    EXPECT_FALSE(std::filesystem::exists(dir.file("plot.png")));
    // Cancelled: nothing written, nothing asked.
    size_t asked = p.host.fakePrompts.asked.size();
    p.host.fakePrompts.paths.push_back(std::nullopt);
    p.find<QToolButton>("SpeedButton18")->click();
    EXPECT_EQ(p.host.fakePrompts.asked.size(), asked + 1);  // the save dialog only
}
