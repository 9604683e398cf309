#include "garmin/ui/garmin_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>

#include "garmin/records.h"
#include "garmin/ui/progress_window.h"

namespace garmin::ui {

namespace {

constexpr int kTimer1Ms = 500;
constexpr int kPollMs = 50;
constexpr int kMaxLogLines = 20000;  // a long transfer must not fill memory with its log

struct ComboItem {
    const char* text;
    std::uint8_t command;
};
constexpr ComboItem kComboItems[] = {
    {"$00 Abort current transfer", 0x00},
    {"$01 Transfer almanac", 0x01},
    {"$02 Transfer position", 0x02},
    {"$03 Transfer proximity waypoints", 0x03},
    {"$04 Transfer routes", 0x04},
    {"$05 Transfer time", 0x05},
    {"$06 Transfer tracklog", 0x06},
    {"$07 Transfer waypoints", 0x07},
    {"$08 Turn power off", 0x08},
    {"$31 Start transmitting PVT data", 0x31},
    {"$32 Stop transmitting PVT data", 0x32},
};
constexpr int kComboStart = 6;

QString q(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

TGarminForm::TGarminForm(GarminWindowEnv env, QWidget* parent) : QWidget(parent, Qt::Window), env_(std::move(env)) {
    setObjectName("TGarminForm");
    setWindowTitle("Garmin Communication Form - For debug only!");
    auto* grid = new QGridLayout(this);
    memo_ = new QPlainTextEdit(this);
    memo_->setObjectName("Memo1");
    memo_->setReadOnly(true);
    memo_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    memo_->setMaximumBlockCount(kMaxLogLines);
    auto label = [this](const char* name) {
        auto* l = new QLabel(this);
        l->setObjectName(name);
        return l;
    };
    label1_ = label("Label1");
    label2_ = label("Label2");
    label4_ = label("Label4");
    auto* status = status_ = label("StatusBar1");
    protocols_ = new QListWidget(this);
    protocols_->setObjectName("lbProtocol");
    commands_ = new QListWidget(this);
    commands_->setObjectName("lbCommQ");
    auto box = [this](const char* name, const char* caption) {
        auto* b = new QCheckBox(caption, this);
        b->setObjectName(name);
        return b;
    };
    hex_ = box("cbHex", "Show hex messages");
    explain_ = box("cbExplain", "Show translations");
    simulate_ = box("cbSimulate", "Simulate communication");
    combo_ = new QComboBox(this);
    combo_->setObjectName("ComboBox1");
    for (const auto& item : kComboItems) combo_->addItem(item.text);
    combo_->setCurrentIndex(kComboStart);
    auto button = [this](const char* name, const char* caption) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(name);
        return b;
    };
    auto* identify = button("Button1", "Identification request");
    auto* command = button("Button2", "Command data (request)");
    auto* clear = button("btClearQueue", "Clear queue");
    auto* abort = button("BitBtn1", "Abort transfer");
    auto* txTracks = button("TxTrackpoints", "Transmit trackpoints");
    auto* txWaypoints = button("TxWaypoint", "Transmit waypoints");

    // The packet log takes whatever room the window has.
    memo_->setMinimumWidth(320);
    grid->addWidget(memo_, 0, 0, 11, 1);
    int row = 0;
    for (QWidget* w : std::initializer_list<QWidget*>{identify, combo_, command, clear, abort, txTracks, txWaypoints,
                                                      hex_, explain_})
        grid->addWidget(w, row++, 1);
    grid->addWidget(simulate_, row++, 1);
    grid->addWidget(protocols_, 0, 2, 5, 1);
    grid->addWidget(commands_, 5, 2, 6, 1);
    grid->addWidget(label1_, 11, 0, 1, 3);
    grid->addWidget(label2_, 12, 0);
    grid->addWidget(label4_, 12, 1);
    grid->addWidget(status, 13, 0, 1, 3);
    grid->setRowStretch(10, 1);
    grid->setColumnStretch(0, 3);
    grid->setColumnStretch(2, 1);

    progress_ = new TfmProgress(this);
    // The receiver hears the abort at once, not after the queue drains.
    progress_->onAbort = [this] { session_->link().AbortTransferNow(); };

    Session::Hooks hooks;
    hooks.isOpen = [this] {
        ByteTransport* t = env_.transport ? env_.transport() : nullptr;
        return t && t->isOpen();
    };
    hooks.open = [this] {
        ByteTransport* t = env_.transport ? env_.transport() : nullptr;
        return t && (t->isOpen() || t->open());
    };
    hooks.send = [this](const Bytes& bytes) {
        if (ByteTransport* t = env_.transport ? env_.transport() : nullptr) t->write(bytes);
    };
    hooks.log = [this](const std::string& line) { log(line); };
    hooks.showProgress = [this](const std::string& text) { showProgress(text); };
    hooks.hideProgress = [this] { hideProgress(); };
    hooks.showReceiveBuffer = [this](const std::string& t) { label1_->setText(q(t)); };
    hooks.showStateTimeout = [this](const std::string& t) {
        label4_->setText(q(t));
        refreshLists();
    };
    hooks.errorBox = [this](const std::string& text) { env_.prompts.show(text, host::Severity::Error); };
    hooks.message = env_.message;
    hooks.determineBounds = env_.determineBounds;
    hooks.whenIdle = env_.whenIdle;
    session_ = std::make_unique<Session>(env_.access, env_.locale, std::move(hooks));

    connect(hex_, &QCheckBox::toggled, this, [this](bool on) { session_->link().showHex = on; });
    connect(explain_, &QCheckBox::toggled, this, [this](bool on) { session_->explain = on; });
    connect(simulate_, &QCheckBox::toggled, this, [this](bool on) { session_->link().simulate = on; });
    connect(identify, &QPushButton::clicked, this, [this] { session_->IdRequest(); });
    connect(command, &QPushButton::clicked, this, [this] {
        int i = combo_->currentIndex();
        session_->SendCommand(i < 0 ? 0 : kComboItems[i].command);
    });
    connect(clear, &QPushButton::clicked, this, [this] {
        session_->link().ClearQueue();
        refreshLists();
    });
    connect(abort, &QPushButton::clicked, this, [this] {
        session_->link().AbortTransferNow();
        refreshLists();
    });
    connect(txTracks, &QPushButton::clicked, this, [this] { report(session_->TxTrackpointsClick()); });
    connect(txWaypoints, &QPushButton::clicked, this, [this] { report(session_->TxWaypointsClick()); });

    // Timer1 runs from start-up on; the receive poll stands in for the
    // channel's receive events.
    timer1_ = env_.timers.createTimer("Timer1");
    timer1_->setIntervalMs(kTimer1Ms);
    timer1_->onTick([this] {
        timer1_->stop();  // a step never overlaps the next, even behind a message box
        session_->Timer1Timer();
        if (env_.linkIdle && session_->link().idle()) env_.linkIdle();
        refreshLists();
        timer1_->start();
    });
    timer1_->start();
    rxPoll_ = env_.timers.createTimer("GarminReceive");
    rxPoll_->setIntervalMs(kPollMs);
    rxPoll_->onTick([this] { pollChannel(); });
    rxPoll_->start();
}

TGarminForm::~TGarminForm() = default;

void TGarminForm::pollChannel() {
    ByteTransport* t = env_.transport ? env_.transport() : nullptr;
    if (!t || !t->isOpen()) return;
    Bytes received;
    t->read(received, 0);
    if (!received.empty()) session_->Receive(received.data(), received.size());
}

void TGarminForm::log(const std::string& line) { memo_->appendPlainText(q(line)); }

void TGarminForm::showChannelState(const std::string& text) { status_->setText(q(text)); }

void TGarminForm::refreshLists() {
    QStringList tags;
    for (const auto& t : session_->lbProtocol) tags << q(t);
    if (protocols_->count() != tags.size()) {
        protocols_->clear();
        protocols_->addItems(tags);
    }
    commands_->clear();
    for (const auto& w : session_->link().commandQueue()) commands_->addItem(q(w));
}

void TGarminForm::showProgress(const std::string& text) {
    label2_->setText(q(text));
    if (!progress_->isVisible()) progress_->showCentred(env_.message ? env_.message(29) : std::string("Abort"));
    progress_->ShowText(text);
}

void TGarminForm::hideProgress() { progress_->hide(); }

void TGarminForm::report(const core::Result& result) {
    if (result.isFailed()) env_.prompts.show(result.message(), host::Severity::Error);
    refreshLists();
}

}  // namespace garmin::ui
