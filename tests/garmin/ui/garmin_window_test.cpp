// The Garmin window, its progress window and the communication dialog, run
// offscreen and found by their control names.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>

#include "garmin/records.h"
#include "garmin/ui/comm_dialog.h"
#include "garmin/ui/garmin_window.h"
#include "garmin/ui/progress_window.h"
#include "host/fake/fake_host.h"

using namespace garmin;

namespace {

class MemoryTransport : public ByteTransport {
public:
    bool open() override { return open_ = true; }
    bool isOpen() const override { return open_; }
    void close() override { open_ = false; }
    bool write(const Bytes& bytes) override {
        written.insert(written.end(), bytes.begin(), bytes.end());
        return true;
    }
    bool read(Bytes& out, int) override {
        out.insert(out.end(), incoming.begin(), incoming.end());
        incoming.clear();
        return true;
    }
    const std::string& error() const override { return error_; }
    void answer(const Packet& p) {
        Bytes f = EncodeFrame(p);
        incoming.insert(incoming.end(), f.begin(), f.end());
    }
    Bytes written, incoming;

private:
    bool open_ = false;
    std::string error_;
};

struct Fixture {
    host::FakeHost host;
    core::SymbolTable symbols;
    core::Document doc{symbols, host.fakeClock};
    core::PointList points;
    MemoryTransport transport;
    ui::TGarminForm form{ui::GarminWindowEnv{
        DocumentAccess{doc, symbols, host.fakeClock,
                       [this] {
                           return core::PointLoader(doc, symbols, {host.fakeClock, host.fakeLocale, nullptr, {}});
                       }},
        host.fakeLocale, host.fakeTimers, host.fakePrompts, [](int n) { return n == 29 ? "Abort" : "message"; },
        nullptr, nullptr, [this] { return &transport; }}};

    template <typename T>
    T* find(const char* name) {
        T* w = form.findChild<T*>(name);
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    void tick() { host.fakeTimers.find("Timer1")->tick(); }
    void poll() { host.fakeTimers.find("GarminReceive")->tick(); }
};

TEST(GarminWindow, ControlsAsStarted) {
    Fixture f;
    EXPECT_EQ(f.form.windowTitle(), "Garmin Communication Form - For debug only!");
    auto* combo = f.find<QComboBox>("ComboBox1");
    ASSERT_EQ(combo->count(), 11);
    EXPECT_EQ(combo->currentIndex(), 6);
    EXPECT_EQ(combo->currentText(), "$06 Transfer tracklog");
    EXPECT_EQ(combo->itemText(9), "$31 Start transmitting PVT data");
    for (const char* name : {"cbHex", "cbExplain", "cbSimulate"}) EXPECT_FALSE(f.find<QCheckBox>(name)->isChecked());
    EXPECT_EQ(f.find<QPushButton>("Button1")->text(), "Identification request");
    EXPECT_EQ(f.find<QPushButton>("BitBtn1")->text(), "Abort transfer");
    EXPECT_TRUE(f.host.fakeTimers.find("Timer1")->running());
    EXPECT_EQ(f.host.fakeTimers.find("Timer1")->intervalMs(), 500);
}

TEST(GarminWindow, IdentificationWithHexLogAndProtocolList) {
    Fixture f;
    f.find<QCheckBox>("cbHex")->setChecked(true);
    f.find<QCheckBox>("cbExplain")->setChecked(true);
    f.find<QPushButton>("Button1")->click();
    f.tick();
    EXPECT_EQ(f.transport.written, (Bytes{0x10, 0xFE, 0x00, 0x02, 0x10, 0x03}));
    QString memo = f.find<QPlainTextEdit>("Memo1")->toPlainText();
    EXPECT_TRUE(memo.contains("< 10 FE 00 02 10 03 ")) << memo.toStdString();
    EXPECT_TRUE(memo.contains("< \"Product request\""));
    f.transport.written.clear();
    f.transport.answer(Packet{kAck, {0xFE, 0}});
    f.transport.answer(EncodeProtocolArray({"P000", "A010", "D108"}));
    f.poll();
    f.tick();
    auto* list = f.find<QListWidget>("lbProtocol");
    ASSERT_EQ(list->count(), 3);
    EXPECT_EQ(list->item(1)->text(), "A010");
    memo = f.find<QPlainTextEdit>("Memo1")->toPlainText();
    EXPECT_TRUE(memo.contains("  A010 Device Command Protocol 1"));
    // The protocol array was acknowledged.
    EXPECT_EQ(f.transport.written, EncodeFrame(Packet{kAck, {0xFD, 0}}));
}

TEST(GarminWindow, CommandButtonSendsTheChosenCommand) {
    Fixture f;
    f.find<QComboBox>("ComboBox1")->setCurrentIndex(10);
    f.find<QPushButton>("Button2")->click();
    f.tick();
    EXPECT_EQ(f.transport.written, EncodeFrame(CommandPacket(0x32)));
}

TEST(GarminWindow, SimulationSendsNothing) {
    Fixture f;
    f.find<QCheckBox>("cbSimulate")->setChecked(true);
    f.find<QPushButton>("Button2")->click();
    f.tick();
    EXPECT_TRUE(f.transport.written.empty());
    EXPECT_TRUE(f.find<QPlainTextEdit>("Memo1")->toPlainText().contains("X \"Command data (request)\""));
}

TEST(GarminWindow, AbortDropsWaitingWordsAndSendsTheAbortCommand) {
    Fixture f;
    f.form.session().appendCommand("get trackpoints");
    f.form.session().appendCommand("get waypoints");
    f.form.session().appendCommand("get routes");
    f.tick();  // the first word starts and queues its command
    EXPECT_EQ(f.find<QListWidget>("lbCommQ")->count(), 2);
    f.tick();  // its command goes out on the opened channel
    ASSERT_TRUE(f.transport.isOpen());
    f.transport.written.clear();
    f.find<QPushButton>("BitBtn1")->click();
    EXPECT_EQ(f.find<QListWidget>("lbCommQ")->count(), 0);
    // Sent at once, before the next tick.
    EXPECT_EQ(f.transport.written, EncodeFrame(CommandPacket(kCmdAbort)));
}

TEST(GarminWindow, ProgressWindow) {
    Fixture f;
    ui::TfmProgress& p = f.form.progress();
    EXPECT_EQ(p.size(), QSize(501, 91));
    EXPECT_TRUE(p.windowFlags() & Qt::WindowStaysOnTopHint);
    f.form.session().appendCommand("get waypoints");
    f.tick();  // the word starts: its progress text shows
    EXPECT_TRUE(p.isVisible());
    EXPECT_EQ(p.findChild<QLabel*>("Label1")->text(), "get waypoints");
    EXPECT_EQ(f.find<QLabel>("Label2")->text(), "get waypoints");
    EXPECT_EQ(p.findChild<QPushButton*>("BitBtn1")->text(), "Abort");
    p.findChild<QPushButton*>("Button1")->click();
    EXPECT_FALSE(p.isVisible());
}

TEST(GarminWindow, CommDialogKeepsTheTicksEvenWhenCancelled) {
    CommDialogModel model;
    model.caption = "What to receive";
    model.cbRoutes = true;
    {
        ui::TfmCommDialog d(model);
        EXPECT_EQ(d.windowTitle(), "Communicatie");
        EXPECT_EQ(d.findChild<QGroupBox*>("GroupBox1")->title(), "What to receive");
        EXPECT_TRUE(d.findChild<QCheckBox*>("cbRoutes")->isChecked());
        EXPECT_EQ(d.findChild<QCheckBox*>("cbPower")->text(), "Power off when finished");
        d.findChild<QCheckBox*>("cbWaypoints")->setChecked(true);
        d.reject();
    }
    EXPECT_TRUE(model.cbWaypoints);
    EXPECT_TRUE(model.cbRoutes);
}

}  // namespace
