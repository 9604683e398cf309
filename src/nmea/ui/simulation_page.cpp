#include "nmea/ui/simulation_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "plot/track_plot.h"

namespace nmea::ui {

namespace {

// The live lines begin with their caption ("Status: ", "Transmitted: "),
// which the caption label beside them shows in the chosen language.
QString withoutCaption(const std::string& line) {
    QString text = QString::fromStdString(line);
    int colon = text.indexOf(':');
    return colon >= 0 && colon < 24 ? text.mid(colon + 1).trimmed() : text;
}

}  // namespace

namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }

// Sets a text only when it differs, so the cursor of a field is not reset
// for nothing; a field the user is typing in is left alone.
void setText(QLineEdit* edit, const std::string& text) {
    QString t = q(text);
    if (edit->text() != t && !edit->hasFocus()) edit->setText(t);
}

QLabel* label(const char* text, const char* name, QWidget* parent) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    return l;
}

QLineEdit* panelField(QWidget* parent, const char* name) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(name);
    e->setReadOnly(true);
    e->setMaximumWidth(110);
    return e;
}

}  // namespace

// compas: the 49 x 49 picture the compass is drawn on.
class CompassView : public QWidget {
public:
    explicit CompassView(QWidget* parent) : QWidget(parent) {
        setObjectName("compas");
        setFixedSize(plot::kCompassSize, plot::kCompassSize);
    }
    host::QtCanvas canvas{plot::kCompassSize, plot::kCompassSize};

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.drawImage(0, 0, canvas.image());
    }
};

SimulationPage::SimulationPage(Simulation& simulation, core::TrackChoices& tracks, QWidget* parent)
    : QWidget(parent), sim_(simulation), tracks_(tracks) {
    setObjectName("NmeaSimuleren");
    build();
    changedConn_ = sim_.changed.scoped([this] { showState(); });
    panelConn_ = sim_.panelChanged.scoped([this](const RmcResult& r) { showPanel(r); });
    tracksConn_ = tracks_.changed.scoped([this] { syncTracks(); });
    syncTracks();
    showState();
    plot::ShowDirection(0, canvases_, &compas_->canvas, compasBackground(), nullptr);
}

SimulationPage::~SimulationPage() = default;

void SimulationPage::setMaakNmeaHandler(std::function<void()> handler) {
    maakNmea_ = std::move(handler);
    btMaakNmea_->setEnabled(static_cast<bool>(maakNmea_));
}

host::Canvas* SimulationPage::compas() { return &compas_->canvas; }

host::Rgb SimulationPage::compasBackground() const {
    QColor c = palette().color(QPalette::Window);
    return {static_cast<std::uint8_t>(c.red()), static_cast<std::uint8_t>(c.green()),
            static_cast<std::uint8_t>(c.blue())};
}

void SimulationPage::build() {
    auto* layout = new QHBoxLayout(this);
    auto* left = new QVBoxLayout;
    left->addWidget(buildPlayback());
    left->addStretch();
    auto* right = new QVBoxLayout;
    right->addWidget(buildTimeOptions());
    right->addWidget(buildNmeaFile(), 1);
    layout->addLayout(left);
    layout->addLayout(right, 1);
}

QWidget* SimulationPage::buildPlayback() {
    auto* box = new QGroupBox("Trackpoint / NMEA logbestand afspelen", this);
    box->setObjectName("gbSimulation");
    auto* grid = new QGridLayout(box);

    btPlayPoints_ = new QPushButton("Start simulatie", box);
    btPlayPoints_->setObjectName("btPlayPoints");
    connect(btPlayPoints_, &QPushButton::clicked, this, [this] { sim_.Trackpointsafspelen1Click(); });
    grid->addWidget(btPlayPoints_, 0, 0, 1, 2);

    struct Button {
        const char* hint;
        QStyle::StandardPixmap icon;
        void (Simulation::*command)();
    } buttons[] = {
        {"Ga 10 regels terug", QStyle::SP_MediaSeekBackward, &Simulation::SpeedButton1Click},
        {"Stoppen met afspelen", QStyle::SP_MediaStop, &Simulation::SpeedButton2Click},
        {"Afspelen pauzeren", QStyle::SP_MediaPause, &Simulation::SpeedButton3Click},
        {"Afspelen hervatten", QStyle::SP_MediaPlay, &Simulation::SpeedButton4Click},
    };
    auto* row = new QHBoxLayout;
    for (int i = 0; i < 4; ++i) {
        auto* b = new QToolButton(box);
        b->setObjectName(QString("SpeedButton%1").arg(i + 1));
        b->setToolTip(buttons[i].hint);
        b->setIcon(style()->standardIcon(buttons[i].icon));
        auto command = buttons[i].command;
        connect(b, &QToolButton::clicked, this, [this, command] { (sim_.*command)(); });
        row->addWidget(b);
        speedButtons_[i] = b;
    }
    row->addStretch();
    grid->addLayout(row, 0, 2, 1, 3);

    cbRepeat_ = new QCheckBox("Automatisch herhalen", box);
    cbRepeat_->setObjectName("cbRepeat");
    connect(cbRepeat_, &QCheckBox::toggled, this, [this](bool on) { sim_.setRepeat(on); });
    grid->addWidget(cbRepeat_, 1, 0, 1, 3);

    grid->addWidget(label("Interval tijd:", "lbInterval", box), 2, 0);
    sbInterval_ = new QScrollBar(Qt::Horizontal, box);
    sbInterval_->setObjectName("sbInterval");
    sbInterval_->setRange(Simulation::kMinIntervalMs, Simulation::kMaxIntervalMs);
    sbInterval_->setSingleStep(Simulation::kIntervalStepMs);
    sbInterval_->setPageStep(Simulation::kDefaultIntervalMs);
    sbInterval_->setMinimumWidth(120);
    connect(sbInterval_, &QScrollBar::valueChanged, this, [this](int v) { sim_.sbIntervalChange(v); });
    grid->addWidget(sbInterval_, 2, 1, 1, 2);
    edit3_ = new QLineEdit(box);
    edit3_->setObjectName("Edit3");
    edit3_->setMaximumWidth(60);
    // Taken when the typing is done, so "5000" does not pass through 200.
    connect(edit3_, &QLineEdit::editingFinished, this, [this] {
        sim_.Edit3Change(edit3_->text().toStdString());
        edit3_->setText(q(sim_.Edit3()));
    });
    grid->addWidget(edit3_, 2, 3);
    grid->addWidget(new QLabel("ms", box), 2, 4);

    timerBeat_ = new QRadioButton("Timer", box);
    timerBeat_->setObjectName("RadioButton1");
    timerBeat_->setAutoExclusive(false);
    timerBeat_->setAttribute(Qt::WA_TransparentForMouseEvents);  // a heartbeat, not a choice
    timerBeat_->setFocusPolicy(Qt::NoFocus);
    grid->addWidget(timerBeat_, 3, 0);
    // The captions stand beside the live lines, so the language reaches them.
    auto* statusCaption = new QLabel("Status:", box);
    statusCaption->setObjectName("lbSimulationStatus");
    grid->addWidget(statusCaption, 3, 1);
    label17_ = new QLabel(box);
    label17_->setObjectName("Label17");
    grid->addWidget(label17_, 3, 2, 1, 3);
    auto* sentCaption = new QLabel("Transmitted:", box);
    sentCaption->setObjectName("lbTransmitted");
    grid->addWidget(sentCaption, 4, 0);
    label28_ = new QLabel(box);
    label28_->setObjectName("Label28");
    label28_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    grid->addWidget(label28_, 4, 1, 1, 4);

    compas_ = new CompassView(box);
    grid->addWidget(compas_, 5, 0, 4, 1, Qt::AlignTop);
    const char* names[6] = {"Edit18", "Edit19", "Edit20", "Edit21", "Edit22", "Edit23"};
    for (int i = 0; i < 6; ++i) panel_[i] = panelField(box, names[i]);
    grid->addWidget(label("Latitude:", "lbSimulationLatitude", box), 5, 1);
    grid->addWidget(panel_[0], 5, 2);
    grid->addWidget(panel_[3], 5, 3, 1, 2);
    grid->addWidget(label("Longitude:", "lbSimulationLongitude", box), 6, 1);
    grid->addWidget(panel_[1], 6, 2);
    grid->addWidget(panel_[4], 6, 3, 1, 2);
    grid->addWidget(label("Direction:", "lbSimulationDirection", box), 7, 1);
    grid->addWidget(panel_[2], 7, 2);
    grid->addWidget(label("Distance:", "lbSimulationDistance", box), 8, 1);
    grid->addWidget(panel_[5], 8, 2);
    return box;
}

QWidget* SimulationPage::buildTimeOptions() {
    auto* box = new QGroupBox(this);
    box->setObjectName("gbTimeOptions");
    auto* grid = new QGridLayout(box);
    grid->addWidget(label("Tracklog:", "lbTracklog", box), 0, 0);
    cbTracks_ = new QComboBox(box);
    cbTracks_->setObjectName("cbTracks");
    cbTracks_->setMinimumContentsLength(20);
    connect(cbTracks_, &QComboBox::currentIndexChanged, this,
            [this](int i) { sim_.cbTracksChange(i < 0 ? std::string() : cbTracks_->itemText(i).toStdString()); });
    grid->addWidget(cbTracks_, 0, 1, 1, 3);

    const char* captions[4] = {"Original date/time", "Start from following:", "Current date/time", "Given speed"};
    for (int i = 0; i < 4; ++i) {
        auto* r = new QRadioButton(captions[i], box);
        r->setObjectName(QString("RadioButton%1").arg(i + 2));
        auto option = static_cast<TimeOption>(i + 2);
        connect(r, &QRadioButton::toggled, this, [this, option](bool on) {
            if (on) sim_.setTimeOption(option);
        });
        grid->addWidget(r, i + 1, 0, 1, 2);
        timeOptions_[i] = r;
    }

    grid->addWidget(label("Time:", "lbStartTime", box), 2, 2);
    meTime_ = new QLineEdit(box);
    meTime_->setObjectName("meTime");
    meTime_->setInputMask("09:99:99;_");
    connect(meTime_, &QLineEdit::textEdited, this, [this](const QString& t) { sim_.meTimeKeyPress(t.toStdString()); });
    grid->addWidget(meTime_, 2, 3);
    btNow_ = new QPushButton(".", box);
    btNow_->setObjectName("btNow");
    btNow_->setToolTip("now");
    btNow_->setMaximumWidth(24);
    connect(btNow_, &QPushButton::clicked, this, [this] {
        sim_.btNowClick();
        meTime_->setText(q(sim_.meTime()));
        meDate_->setText(q(sim_.meDate()));
    });
    grid->addWidget(btNow_, 2, 4);
    grid->addWidget(label("Date (ddmmyyyy):", "lbStartDate", box), 3, 2);
    meDate_ = new QLineEdit(box);
    meDate_->setObjectName("meDate");
    meDate_->setInputMask("09-09-9999;_");
    connect(meDate_, &QLineEdit::textEdited, this, [this](const QString& t) { sim_.meDateKeyPress(t.toStdString()); });
    grid->addWidget(meDate_, 3, 3);

    sbDrivingSpeed_ = new QScrollBar(Qt::Horizontal, box);
    sbDrivingSpeed_->setObjectName("sbDrivingSpeed");
    sbDrivingSpeed_->setRange(0, Simulation::kMaxDrivingSpeed);
    sbDrivingSpeed_->setPageStep(Simulation::kDrivingSpeedStep);
    sbDrivingSpeed_->setMinimumWidth(120);
    connect(sbDrivingSpeed_, &QScrollBar::valueChanged, this, [this](int v) { sim_.sbDrivingSpeedChange(v); });
    grid->addWidget(sbDrivingSpeed_, 4, 2, 1, 2);
    label35_ = new QLabel(box);
    label35_->setObjectName("Label35");
    grid->addWidget(label35_, 4, 4);
    return box;
}

QWidget* SimulationPage::buildNmeaFile() {
    auto* box = new QGroupBox("NMEA bestand maken op basis van puntenlijst (tab Punten)", this);
    box->setObjectName("gbMakeNmea");
    auto* grid = new QGridLayout(box);
    grid->addWidget(label("Rijsnelheid:", "lbDrivingSpeed", box), 0, 0);
    edit25_ = new QLineEdit("10", box);
    edit25_->setObjectName("Edit25");
    edit25_->setMaximumWidth(60);
    grid->addWidget(edit25_, 0, 1);
    grid->addWidget(new QLabel("m/s", box), 0, 2);
    grid->addWidget(label("Tijdsinterval NMEA berichten:", "lbNmeaInterval", box), 1, 0);
    edit26_ = new QLineEdit("1", box);
    edit26_->setObjectName("Edit26");
    edit26_->setMaximumWidth(60);
    grid->addWidget(edit26_, 1, 1);
    grid->addWidget(new QLabel("s", box), 1, 2);
    btMaakNmea_ = new QPushButton("Maak NMEA bestand", box);
    btMaakNmea_->setObjectName("btMaakNMEA");
    btMaakNmea_->setEnabled(false);
    connect(btMaakNmea_, &QPushButton::clicked, this, [this] {
        if (maakNmea_) maakNmea_();
    });
    grid->addWidget(btMaakNmea_, 0, 3, 2, 1);
    memo3_ = new QPlainTextEdit(box);
    memo3_->setObjectName("Memo3");
    memo3_->setReadOnly(true);
    memo3_->setFont(QFont("Monospace"));
    grid->addWidget(memo3_, 2, 0, 1, 4);
    grid->setColumnStretch(3, 1);
    return box;
}

void SimulationPage::showState() {
    QSignalBlocker b1(sbInterval_), b2(sbDrivingSpeed_), b3(cbRepeat_);
    sbInterval_->setValue(sim_.intervalMs());
    setText(edit3_, sim_.Edit3());
    sbDrivingSpeed_->setValue(sim_.drivingSpeed());
    label35_->setText(q(sim_.Label35()));
    cbRepeat_->setChecked(sim_.repeat());
    timerBeat_->setChecked(sim_.timerBeat());
    label17_->setText(withoutCaption(sim_.Label17()));
    label28_->setText(withoutCaption(sim_.Label28()));
    setText(meTime_, sim_.meTime());
    setText(meDate_, sim_.meDate());
    QRadioButton* chosen = timeOptions_[static_cast<int>(sim_.timeOption()) - 2];
    if (!chosen->isChecked()) {
        QSignalBlocker b(chosen);
        chosen->setChecked(true);
    }
}

void SimulationPage::showPanel(const RmcResult& r) {
    const std::string* texts[6] = {&r.panel.Edit18, &r.panel.Edit19, &r.panel.Edit20,
                                   &r.panel.Edit21, &r.panel.Edit22, &r.panel.Edit23};
    for (int i = 0; i < 6; ++i) panel_[i]->setText(q(*texts[i]));
    if (r.moved) {
        plot::ShowDirection(r.panel.compassDeg, canvases_, &compas_->canvas, compasBackground(), nullptr);
        compas_->update();
    }
}

void SimulationPage::syncTracks() {
    // A sorted list, whatever order the tracks came in.
    std::vector<std::string> items = tracks_.items;
    std::sort(items.begin(), items.end(), [](const std::string& a, const std::string& b) {
        return QString::compare(q(a), q(b), Qt::CaseInsensitive) < 0;
    });
    QSignalBlocker block(cbTracks_);
    cbTracks_->clear();
    for (const auto& item : items) cbTracks_->addItem(q(item));
    int selected = tracks_.selected < 0 || items.empty() ? -1 : std::min<int>(tracks_.selected, static_cast<int>(items.size()) - 1);
    cbTracks_->setCurrentIndex(selected);
    sim_.selectTrack(selected < 0 ? std::string() : items[static_cast<size_t>(selected)]);
}

}  // namespace nmea::ui
