#pragma once
// The page "NMEA simuleren": playback of a track as NMEA sentences, the
// track chooser, the time options, the position panel with its compass,
// and the block where an NMEA file is made from the track. The rules are in
// nmea/simulation; this page shows its state and forwards the user's
// actions.

#include <QWidget>
#include <functional>
#include <memory>

#include "core/document.h"
#include "core/signal.h"
#include "host/qt/qt_canvas.h"
#include "nmea/simulation.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QScrollBar;
class QToolButton;

namespace nmea::ui {

class CompassView;

class SimulationPage : public QWidget {
public:
    SimulationPage(Simulation& simulation, core::TrackChoices& tracks, QWidget* parent = nullptr);
    ~SimulationPage() override;

    // "Maak NMEA bestand" (btMaakNMEA): the app connects the file creation
    // here; the button stays greyed out until it does.
    void setMaakNmeaHandler(std::function<void()> handler);
    // The widgets of that block, for the file creation to read and fill.
    QLineEdit* Edit25() const { return edit25_; }    // "Rijsnelheid:", m/s
    QLineEdit* Edit26() const { return edit26_; }    // "Tijdsinterval NMEA berichten:", s
    QPlainTextEdit* Memo3() const { return memo3_; }  // what was written
    QPushButton* btMaakNMEA() const { return btMaakNmea_; }

    // The compass picture, which the point plot draws on too.
    host::Canvas* compas();
    host::Rgb compasBackground() const;

private:
    void build();
    QWidget* buildPlayback();
    QWidget* buildTimeOptions();
    QWidget* buildNmeaFile();
    void showState();
    void showPanel(const RmcResult& result);
    void syncTracks();

    Simulation& sim_;
    core::TrackChoices& tracks_;
    host::QtCanvasFactory canvases_;
    QPushButton* btPlayPoints_ = nullptr;
    QToolButton* speedButtons_[4] = {};
    QCheckBox* cbRepeat_ = nullptr;
    QScrollBar* sbInterval_ = nullptr;
    QLineEdit* edit3_ = nullptr;
    QRadioButton* timerBeat_ = nullptr;
    QLabel *label17_ = nullptr, *label28_ = nullptr, *label35_ = nullptr;
    CompassView* compas_ = nullptr;
    QLineEdit* panel_[6] = {};  // Edit18 .. Edit23
    QComboBox* cbTracks_ = nullptr;
    QRadioButton* timeOptions_[4] = {};  // RadioButton2 .. RadioButton5
    QLineEdit *meTime_ = nullptr, *meDate_ = nullptr;
    QPushButton* btNow_ = nullptr;
    QScrollBar* sbDrivingSpeed_ = nullptr;
    QLineEdit *edit25_ = nullptr, *edit26_ = nullptr;
    QPlainTextEdit* memo3_ = nullptr;
    QPushButton* btMaakNmea_ = nullptr;
    std::function<void()> maakNmea_;
    core::ScopedConnection changedConn_, panelConn_, tracksConn_;
};

}  // namespace nmea::ui
