#pragma once
// The page "NMEA ontvangst": the "GPS info" labels, the twelve satellite
// bars, the communication lamps, the queue label and the reception list. It
// only shows state: GpsDisplay and the channels' indicators.

#include <QWidget>

#include "core/signal.h"
#include "nmea/channels.h"
#include "nmea/gps_display.h"

class QLabel;
class QPlainTextEdit;
class QFrame;

namespace nmea::ui {

class ReceptionPage : public QWidget {
public:
    // The reception list keeps this many lines; older ones scroll away.
    static constexpr int kMemoLines = 5000;

    ReceptionPage(GpsDisplay& display, Channels& channels, QWidget* parent = nullptr);

private:
    void showInfo();
    void UpdateSats();
    void showIndicators();

    GpsDisplay& display_;
    Channels& channels_;
    std::vector<std::pair<QLabel*, const std::string*>> info_;
    QFrame* shapes_[kSatSlots] = {};
    QLabel* numbers_[kSatSlots] = {};
    QLabel *rxd1_ = nullptr, *txd1_ = nullptr, *label34_ = nullptr;
    QPlainTextEdit* memo4_ = nullptr;
    int rxShown_ = -1, txShown_ = -1;  // lamp colours set last; a style sheet is costly to set
    core::ScopedConnection infoConn_, satsConn_, indicatorsConn_, lineConn_;
};

}  // namespace nmea::ui
