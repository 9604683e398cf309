#include "nmea/ui/simulation_page.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QToolButton>

#include "core/fn.h"
#include "host/fake/fake_host.h"

using namespace nmea;

namespace {

struct Page {
    host::FakeHost host;
    core::SymbolTable symbols;
    core::Document doc{symbols, host.fakeClock};
    std::vector<std::string> sent;
    std::unique_ptr<Simulation> sim;
    std::unique_ptr<ui::SimulationPage> page;

    Page() {
        doc.initTree();
        SimulationLinks links;
        links.transmit = [this](std::string_view s) { sent.emplace_back(s); };
        links.message = [](int n) { return n == 10 ? std::string("Transmitted:") : std::string(); };
        links.loadTrack = [this](core::NodeId track, const core::PointLoader::Sink& each) {
            return core::PointLoader(doc, symbols, {host.fakeClock, host.fakeLocale, nullptr, {}})
                .eachTrackPoint(track, each);
        };
        sim = std::make_unique<Simulation>(host.fakeTimers, host.fakeClock, doc, std::move(links));
        page = std::make_unique<ui::SimulationPage>(*sim, doc.cbTracks);
        page->show();
    }
    template <typename W>
    W* get(const char* name) {
        W* w = page->findChild<W*>(name);
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    void addTrack(const std::string& name, double lat) {
        doc.NewTrack(name);
        doc.AddTrackpoint(core::FloatToStrGeneral(lat), "5", "", "39515.5");
        doc.AddTrackpoint(core::FloatToStrGeneral(lat + 0.01), "5", "", "39515.6");
        doc.AddTrackpoint(core::FloatToStrGeneral(lat + 0.02), "5", "", "39515.7");
    }
};

}  // namespace

TEST(SimulationPage, ControlsStartAsTheWindowShowsThem) {
    Page p;
    EXPECT_EQ(p.get<QPushButton>("btPlayPoints")->text(), "Start simulatie");
    const char* hints[] = {"Ga 10 regels terug", "Stoppen met afspelen", "Afspelen pauzeren", "Afspelen hervatten"};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(p.get<QToolButton>(QString("SpeedButton%1").arg(i + 1).toUtf8().constData())->toolTip(), hints[i]);
    EXPECT_TRUE(p.get<QCheckBox>("cbRepeat")->isChecked());
    auto* interval = p.get<QScrollBar>("sbInterval");
    EXPECT_EQ(interval->minimum(), 200);
    EXPECT_EQ(interval->maximum(), 30000);
    EXPECT_EQ(interval->singleStep(), 100);
    EXPECT_EQ(interval->value(), 1000);
    EXPECT_EQ(p.get<QLineEdit>("Edit3")->text(), "1000");
    EXPECT_EQ(p.get<QRadioButton>("RadioButton1")->text(), "Timer");
    EXPECT_EQ(p.get<QLabel>("lbSimulationStatus")->text(), "Status:");
    EXPECT_EQ(p.get<QLabel>("Label17")->text(), "");
    EXPECT_EQ(p.get<QLabel>("Label28")->text(), "");
    EXPECT_TRUE(p.get<QRadioButton>("RadioButton4")->isChecked());
    EXPECT_EQ(p.get<QRadioButton>("RadioButton2")->text(), "Original date/time");
    EXPECT_EQ(p.get<QRadioButton>("RadioButton3")->text(), "Start from following:");
    EXPECT_EQ(p.get<QRadioButton>("RadioButton5")->text(), "Given speed");
    EXPECT_EQ(p.get<QLineEdit>("meTime")->text(), "13:05:09");  // the fake clock's now
    EXPECT_EQ(p.get<QLineEdit>("meDate")->text(), "01-05-2008");
    EXPECT_FALSE(p.get<QLineEdit>("meTime")->inputMask().isEmpty());
    EXPECT_EQ(p.get<QPushButton>("btNow")->toolTip(), "now");
    auto* speed = p.get<QScrollBar>("sbDrivingSpeed");
    EXPECT_EQ(speed->maximum(), 100);
    EXPECT_EQ(speed->pageStep(), 10);
    EXPECT_EQ(speed->value(), 10);
    EXPECT_EQ(p.get<QLabel>("Label35")->text(), "10 m/s");
    EXPECT_EQ(p.get<QLineEdit>("Edit25")->text(), "10");
    EXPECT_EQ(p.get<QLineEdit>("Edit26")->text(), "1");
    p.get<QPlainTextEdit>("Memo3");
    for (const char* name : {"Edit18", "Edit19", "Edit20", "Edit21", "Edit22", "Edit23"})
        EXPECT_TRUE(p.get<QLineEdit>(name)->isReadOnly()) << name;
    EXPECT_NE(p.page->findChild<QWidget*>("compas"), nullptr);

    int made = 0;
    EXPECT_FALSE(p.get<QPushButton>("btMaakNMEA")->isEnabled());  // nothing connected yet
    p.page->setMaakNmeaHandler([&] { ++made; });
    p.get<QPushButton>("btMaakNMEA")->click();
    EXPECT_EQ(made, 1);
}

TEST(SimulationPage, TracksAreSortedAndPlayedFromTheButtons) {
    Page p;
    p.addTrack("b walk", 50);
    p.addTrack("A ride", 52);
    p.addTrack("c run", 54);
    auto* tracks = p.get<QComboBox>("cbTracks");
    ASSERT_EQ(tracks->count(), 3);
    EXPECT_EQ(tracks->itemText(0), "A ride");
    EXPECT_EQ(tracks->itemText(1), "b walk");
    EXPECT_EQ(tracks->itemText(2), "c run");
    tracks->setCurrentIndex(2);  // as the user picks it
    EXPECT_EQ(p.sim->trackName(), "c run");
    EXPECT_EQ(p.get<QLineEdit>("meTime")->text(), "12:00:00");  // its first point's time
    p.get<QRadioButton>("RadioButton2")->click();
    EXPECT_EQ(p.sim->timeOption(), TimeOption::Original);
    p.get<QPushButton>("btPlayPoints")->click();
    EXPECT_TRUE(p.sim->timerRunning());
    bool beat = p.get<QRadioButton>("RadioButton1")->isChecked();
    p.host.fakeTimers.find("TxTimer")->tick();
    ASSERT_EQ(p.sent.size(), 1u);
    EXPECT_NE(p.sent[0].find(",5400.0000,N,"), std::string::npos);
    EXPECT_EQ(p.get<QRadioButton>("RadioButton1")->isChecked(), !beat);
    EXPECT_EQ(p.get<QLabel>("Label17")->text(), "afspelen (1 - 3)");
    EXPECT_TRUE(p.get<QLabel>("Label28")->text().startsWith("$GPRMC,120000,A,5400.0000,N"));
    EXPECT_EQ(p.get<QLineEdit>("Edit18")->text(), "54");
    EXPECT_EQ(p.get<QLineEdit>("Edit19")->text(), "5");
    EXPECT_EQ(p.get<QLineEdit>("Edit20")->text(), "3.6");  // from 0 N 0 E: 3.62 by the standard formula
    p.get<QToolButton>("SpeedButton3")->click();
    EXPECT_EQ(p.get<QLabel>("Label17")->text(), "pauze (2 - 3)");
    p.get<QToolButton>("SpeedButton2")->click();
    EXPECT_FALSE(p.sim->timerRunning());
}

TEST(SimulationPage, TypingMovesTheControls) {
    Page p;
    auto* edit3 = p.get<QLineEdit>("Edit3");
    edit3->setText("50");
    emit edit3->editingFinished();
    EXPECT_EQ(p.get<QScrollBar>("sbInterval")->value(), 200);
    EXPECT_EQ(edit3->text(), "200");
    edit3->setText("abc");
    emit edit3->editingFinished();
    EXPECT_EQ(edit3->text(), "1000");
    p.get<QScrollBar>("sbInterval")->setValue(2500);
    EXPECT_EQ(edit3->text(), "2500");
    EXPECT_EQ(p.host.fakeTimers.find("TxTimer")->intervalMs(), 2500);

    p.get<QScrollBar>("sbDrivingSpeed")->setValue(30);
    EXPECT_EQ(p.get<QLabel>("Label35")->text(), "30 m/s");

    auto* meTime = p.get<QLineEdit>("meTime");
    emit meTime->textEdited("08:15:00");
    EXPECT_TRUE(p.get<QRadioButton>("RadioButton3")->isChecked());
    EXPECT_EQ(p.sim->meTime(), "08:15:00");
}

TEST(SimulationPage, TheCompassFollowsTheCourse) {
    Page p;
    auto* compas = p.page->compas();
    host::Rgb before = compas->pixel(38, 24);  // right of the centre: a needle pointing east
    EXPECT_NE(before, (host::Rgb{255, 0, 0}));
    // From 0 N 0 E due east.
    ASSERT_TRUE(p.sim->VerzendRMC("1.0", "0.0", "", "", "0").ok);
    EXPECT_EQ(p.get<QLineEdit>("Edit20")->text(), "90.0");
    EXPECT_EQ(compas->pixel(38, 24), (host::Rgb{255, 0, 0}));
}
