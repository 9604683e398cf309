#include "nmea/ui/reception_page.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include "core/fn.h"
#include "host/fake/fake_host.h"
#include "nmea/settings_model.h"
#include "nmea/ui/settings_dialog.h"

using namespace nmea;

namespace {

std::string withSum(const std::string& body) {
    char sum[4];
    std::snprintf(sum, sizeof sum, "*%02X", core::NmeaChecksum(body));
    return body + sum;
}

struct Page {
    host::FakeHost host;
    GpsDisplay display;
    Channels channels{host, ChannelSinks{}, PortMap(), display};
    ui::ReceptionPage page{display, channels};
    host::FakeByteLink* link = nullptr;
    Page() {
        channels.Poort[1].SocketC = true;
        (void)channels.StartCommunication1();
        link = host.fakeNetwork.clients.at(0);
        link->setState(host::LinkState::Open);
        page.show();
    }
    QString text(const char* name) { return page.findChild<QLabel*>(name)->text(); }
    QFrame* shape(int n) { return page.findChild<QFrame*>(QString("Shape%1").arg(n)); }
};

}  // namespace

TEST(ReceptionPage, ShowsTheDisplayStateByObjectName) {
    Page p;
    EXPECT_EQ(p.text("lbStatus"), "-");
    EXPECT_EQ(p.text("lb1"), "-");
    EXPECT_EQ(p.shape(1)->height(), 2);  // start value 2: (2 + 1) x 97 div 100
    EXPECT_EQ(p.shape(1)->y() + p.shape(1)->height(), 113);
    EXPECT_EQ(p.shape(2)->x() - p.shape(1)->x(), 24);
    EXPECT_EQ(p.shape(1)->width(), 9);

    p.link->deliver(withSum("$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W") + "\r\n" +
                    withSum("$GPGSA,A,2") + "\r\n" + withSum("$GPGSV,1,1,02,07,40,083,99,12,10,100,00") + "\r\n" +
                    "$GPGGA,bad*00\r\n");
    EXPECT_EQ(p.page.findChild<QLabel*>("Label34")->text(), "Queue: 4 - 0");
    p.host.fakeTimers.find("RxTimer")->tick();
    EXPECT_EQ(p.text("lbTijd"), "23-03-94  12:35:19");
    EXPECT_EQ(p.text("lbBreedte"), QString::fromUtf8("N 48\xC2\xB0 07' 038"));
    EXPECT_EQ(p.text("lbDeclination"), "West");
    EXPECT_EQ(p.text("lbStatus"), "2D position fixing");
    EXPECT_EQ(p.text("lb1"), "07");
    EXPECT_EQ(p.text("lb2"), "12");
    EXPECT_EQ(p.shape(1)->height(), 97);
    EXPECT_EQ(p.shape(1)->y(), 16);
    EXPECT_EQ(p.shape(2)->height(), 1);  // "00" draws one pixel
    EXPECT_EQ(p.text("Label34"), "Queue: 4 - 4");
    // The list shows the lines that passed their checksum.
    QString memo = p.page.findChild<QPlainTextEdit*>("Memo4")->toPlainText();
    EXPECT_EQ(memo.count('\n'), 2);
    EXPECT_FALSE(memo.contains("bad"));
}

TEST(SettingsDialog, FillsGreysAndStores) {
    host::FakeHost host;
    GpsDisplay display;
    Channels channels{host, ChannelSinks{}, PortMap(), display};
    channels.Poort[1].Speed = 300;     // not in the list: "9600"
    channels.Poort[1].Parity = "odd";
    channels.Poort[1].Stop = "1,5";
    channels.Poort[0].Port = 17;       // outside 1-16: no port selected
    CommunicationSettings settings;
    bool checked = false;
    host.fakePrompts.dialogResults.push_back(true);
    host.fakePrompts.fillDialog = [&](host::DialogModel& model) {
        QTimer::singleShot(0, [&] {
            QDialog* d = nullptr;
            for (QWidget* w : QApplication::topLevelWidgets())
                if (w->objectName() == "TfmSettings" && w->isVisible()) d = static_cast<QDialog*>(w);
            ASSERT_NE(d, nullptr);
            auto combo = [&](const char* n) { return d->findChild<QComboBox*>(n); };
            EXPECT_EQ(combo("lbSpeed2")->currentText(), "9600");
            EXPECT_EQ(combo("lbParity2")->currentText(), "Odd");
            EXPECT_EQ(combo("lbStopbits2")->currentText(), "1,5");
            EXPECT_EQ(combo("lbPoort1")->currentIndex(), -1);
            EXPECT_FALSE(combo("lbPoort1")->isEditable());
            // Client socket in the NMEA group greys that group's five lists only.
            d->findChild<QCheckBox*>("CheckBox2")->setChecked(true);
            for (const char* n : {"lbPoort2", "lbSpeed2", "lbBits2", "lbParity2", "lbStopbits2"})
                EXPECT_FALSE(combo(n)->isEnabled()) << n;
            EXPECT_TRUE(combo("lbSpeed1")->isEnabled());
            EXPECT_TRUE(d->findChild<QLineEdit*>("Edit3")->isEnabled());
            // The listener acts at once.
            d->findChild<QCheckBox*>("CheckBox3")->click();
            EXPECT_TRUE(channels.listening());
            // A port that is no number: nothing stored, the dialog stays.
            d->findChild<QLineEdit*>("Edit4")->setText("70x");
            bool boxShown = false;
            QTimer::singleShot(50, [&] {
                for (QWidget* w : QApplication::topLevelWidgets())
                    if (w->inherits("QMessageBox") && w->isVisible()) {
                        boxShown = true;
                        w->close();
                    }
            });
            d->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
            EXPECT_TRUE(boxShown);
            EXPECT_TRUE(d->isVisible());
            d->findChild<QLineEdit*>("Edit4")->setText("2947");
            combo("lbSpeed1")->setCurrentText("56000");
            d->findChild<QRadioButton*>("rbGarmin")->setChecked(true);
            d->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
            checked = true;
        });
        EXPECT_TRUE(ui::runSettingsDialog(model, nullptr, {}));
    };
    EXPECT_TRUE(settings.Instellingen2Click(channels, host.fakePrompts));
    EXPECT_TRUE(checked);
    EXPECT_EQ(channels.Protocol(), "Garmin");
    EXPECT_TRUE(channels.Poort[1].SocketC);
    EXPECT_EQ(channels.Poort[1].IpPortC, 2947);
    EXPECT_EQ(channels.Poort[1].Speed, 9600);
    EXPECT_EQ(channels.Poort[1].Parity, "odd");
    EXPECT_EQ(channels.Poort[0].Speed, 56000);
    EXPECT_EQ(channels.Poort[0].Port, 0);  // none selected stores 0, opened as port 1
    EXPECT_TRUE(channels.Poort[0].SocketS);
    EXPECT_TRUE(settings.listenerBox);
}
