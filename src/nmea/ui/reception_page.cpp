#include "nmea/ui/reception_page.h"

#include <QFormLayout>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace nmea::ui {

namespace {

// Geometry of the "Satellieten" block, in pixels.
constexpr int kBarWidth = 9;
constexpr int kBarPitch = 24;  // room for two-digit numbers with a gap between them
constexpr int kBarLeft = 8;
constexpr int kLampSize = 14;

QString q(const std::string& s) { return QString::fromStdString(s); }

QString lampStyle(bool green) {
    return QString("background-color: %1; border-radius: %2px; border: 1px solid gray;")
        .arg(green ? "lime" : "red")
        .arg(kLampSize / 2);
}

}  // namespace

ReceptionPage::ReceptionPage(GpsDisplay& display, Channels& channels, QWidget* parent)
    : QWidget(parent), display_(display), channels_(channels) {
    setObjectName("NmeaOntvangst");
    auto* layout = new QHBoxLayout(this);
    auto* left = new QVBoxLayout;
    layout->addLayout(left);

    auto* info = new QGroupBox("NMEA reception", this);
    info->setObjectName("gbReception");
    auto* form = new QFormLayout(info);
    struct Row {
        const char* caption;
        const char* captionName;
        const char* valueName;
        const std::string* value;
    };
    const Row rows[] = {
        {"Status:", "lbReceptionStatus", "lbStatus", &display_.lbStatus},
        {"Longitude:", "lbReceptionLongitude", "lbLengte", &display_.lbLengte},
        {"Latitude:", "lbReceptionLatitude", "lbBreedte", &display_.lbBreedte},
        {"Speed:", "lbReceptionSpeed", "lbSnelheid", &display_.lbSnelheid},
        {"Altitude:", "lbReceptionAltitude", "lbHoogte", &display_.lbHoogte},
        {"Direction:", "lbReceptionDirection", "lbRichting", &display_.lbRichting},
        {"Time:", "lbReceptionTime", "lbTijd", &display_.lbTijd},
        {"Declination:", "lbReceptionDeclination", "lbDeclination", &display_.lbDeclination},
        {"Nr of sat:", "lbReceptionSatCount", "lbSat", &display_.lbSat},
    };
    for (const Row& row : rows) {
        auto* caption = new QLabel(row.caption, info);
        caption->setObjectName(row.captionName);
        auto* value = new QLabel(info);
        value->setObjectName(row.valueName);
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        form->addRow(caption, value);
        info_.emplace_back(value, row.value);
    }
    left->addWidget(info);

    auto* sats = new QGroupBox("Satellites", this);
    sats->setObjectName("gbSatellites");
    sats->setMinimumSize(kBarLeft * 2 + kSatSlots * kBarPitch, kBarBaseY + 24);
    for (int i = 0; i < kSatSlots; ++i) {
        auto* shape = new QFrame(sats);
        shape->setObjectName(QString("Shape%1").arg(i + 1));
        shape->setStyleSheet("background-color: skyblue;");
        shapes_[i] = shape;
        auto* number = new QLabel(sats);
        number->setObjectName(QString("lb%1").arg(i + 1));
        // Centred under its bar, one pitch wide, so neighbours never touch.
        number->setGeometry(kBarLeft + i * kBarPitch + kBarWidth / 2 - kBarPitch / 2 + 1, kBarBaseY + 2, kBarPitch - 2, 16);
        number->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        numbers_[i] = number;
    }
    left->addWidget(sats);

    auto* comm = new QGroupBox("Communication", this);
    comm->setObjectName("gbCommunication");
    auto* commLayout = new QFormLayout(comm);
    rxd1_ = new QLabel(comm);
    rxd1_->setObjectName("Rxd1");
    txd1_ = new QLabel(comm);
    txd1_->setObjectName("Txd1");
    for (QLabel* lamp : {rxd1_, txd1_}) lamp->setFixedSize(kLampSize, kLampSize);
    label34_ = new QLabel(comm);
    label34_->setObjectName("Label34");
    auto* rxdCaption = new QLabel("RxD Channel 1", comm);
    rxdCaption->setObjectName("lbRxD1");
    auto* txdCaption = new QLabel("TxD Channel 1", comm);
    txdCaption->setObjectName("lbTxD1");
    commLayout->addRow(rxdCaption, rxd1_);
    commLayout->addRow(txdCaption, txd1_);
    commLayout->addRow(label34_);
    left->addWidget(comm);
    left->addStretch();

    memo4_ = new QPlainTextEdit(this);
    memo4_->setObjectName("Memo4");
    memo4_->setReadOnly(true);
    memo4_->setMaximumBlockCount(kMemoLines);
    memo4_->setLineWrapMode(QPlainTextEdit::NoWrap);  // a sentence stays on one line
    memo4_->setFont(QFont("Monospace"));
    layout->addWidget(memo4_, 1);

    infoConn_ = display_.infoChanged.scoped([this] { showInfo(); });
    satsConn_ = display_.satsChanged.scoped([this] { UpdateSats(); });
    indicatorsConn_ = channels_.indicatorsChanged.scoped([this] { showIndicators(); });
    lineConn_ = channels_.receptionLine.scoped([this](const std::string& line) { memo4_->appendPlainText(q(line)); });
    showInfo();
    UpdateSats();
    showIndicators();
}

void ReceptionPage::showInfo() {
    for (auto& [label, text] : info_) label->setText(q(*text));
}

void ReceptionPage::UpdateSats() {
    for (int i = 0; i < kSatSlots; ++i) {
        const TSats& slot = display_.Sats[static_cast<size_t>(i)];
        SatBar bar = GpsDisplay::BarOf(slot.signal);
        shapes_[i]->setGeometry(kBarLeft + i * kBarPitch, bar.top, kBarWidth, bar.height);
        shapes_[i]->setVisible(bar.height > 0);
        numbers_[i]->setText(q(slot.number));
    }
}

void ReceptionPage::showIndicators() {
    const ChannelIndicators& in = channels_.indicators();
    if (rxShown_ != in.rxd1Green) rxd1_->setStyleSheet(lampStyle(in.rxd1Green));
    if (txShown_ != in.txd1Green) txd1_->setStyleSheet(lampStyle(in.txd1Green));
    rxShown_ = in.rxd1Green;
    txShown_ = in.txd1Green;
    label34_->setText(q(in.Label34));
}

}  // namespace nmea::ui
