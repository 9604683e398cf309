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
constexpr int kBarPitch = 16;
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

    auto* info = new QGroupBox("GPS info", this);
    auto* form = new QFormLayout(info);
    const std::pair<const char*, std::pair<const char*, const std::string*>> rows[] = {
        {"Status:", {"lbStatus", &display_.lbStatus}},
        {"Lengtegraad:", {"lbLengte", &display_.lbLengte}},
        {"Breedtegraad:", {"lbBreedte", &display_.lbBreedte}},
        {"Snelheid:", {"lbSnelheid", &display_.lbSnelheid}},
        {"Hoogte:", {"lbHoogte", &display_.lbHoogte}},
        {"Richting:", {"lbRichting", &display_.lbRichting}},
        {"Tijd:", {"lbTijd", &display_.lbTijd}},
        {"Verval:", {"lbDeclination", &display_.lbDeclination}},
        {"Aantal sat: ", {"lbSat", &display_.lbSat}},
    };
    for (const auto& [caption, field] : rows) {
        auto* value = new QLabel(info);
        value->setObjectName(field.first);
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        form->addRow(caption, value);
        info_.emplace_back(value, field.second);
    }
    left->addWidget(info);

    auto* sats = new QGroupBox("Satellieten", this);
    sats->setObjectName("Satellieten");
    sats->setMinimumSize(kBarLeft * 2 + kSatSlots * kBarPitch, kBarBaseY + 24);
    for (int i = 0; i < kSatSlots; ++i) {
        auto* shape = new QFrame(sats);
        shape->setObjectName(QString("Shape%1").arg(i + 1));
        shape->setStyleSheet("background-color: skyblue;");
        shapes_[i] = shape;
        auto* number = new QLabel(sats);
        number->setObjectName(QString("lb%1").arg(i + 1));
        number->setGeometry(kBarLeft + i * kBarPitch - 3, kBarBaseY + 2, kBarPitch, 16);
        numbers_[i] = number;
    }
    left->addWidget(sats);

    auto* comm = new QGroupBox("Communicatie", this);
    auto* commLayout = new QFormLayout(comm);
    rxd1_ = new QLabel(comm);
    rxd1_->setObjectName("Rxd1");
    txd1_ = new QLabel(comm);
    txd1_->setObjectName("Txd1");
    for (QLabel* lamp : {rxd1_, txd1_}) lamp->setFixedSize(kLampSize, kLampSize);
    label34_ = new QLabel(comm);
    label34_->setObjectName("Label34");
    commLayout->addRow("RxD Kanaal 1", rxd1_);
    commLayout->addRow("TxD Kanaal 1", txd1_);
    commLayout->addRow(label34_);
    left->addWidget(comm);
    left->addStretch();

    memo4_ = new QPlainTextEdit(this);
    memo4_->setObjectName("Memo4");
    memo4_->setReadOnly(true);
    memo4_->setMaximumBlockCount(kMemoLines);
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
