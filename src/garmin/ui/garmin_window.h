#pragma once
// TGarminForm: the Garmin link's diagnostic window. Packet log with hex and
// translations, simulation, identification and command buttons, the
// command queue and the receiver's protocol list. It owns the session and
// its 500 ms Timer1, which runs from start-up whether the window shows or not.

#include <QWidget>
#include <functional>
#include <memory>

#include "garmin/session.h"
#include "garmin/transport.h"
#include "host/host.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QPlainTextEdit;

namespace garmin::ui {

class TfmProgress;

struct GarminWindowEnv {
    DocumentAccess access;
    const host::LocaleInfo& locale;
    host::Timers& timers;
    host::Prompts& prompts;
    std::function<std::string(int)> message;
    std::function<void(std::function<void()>)> whenIdle;
    std::function<void()> determineBounds;
    // The channel in Garmin mode; the link opens it when it first sends.
    std::function<ByteTransport*()> transport;
    // Called on every tick on which the link has nothing left to do.
    std::function<void()> linkIdle = {};
};

class TGarminForm : public QWidget {
public:
    explicit TGarminForm(GarminWindowEnv env, QWidget* parent = nullptr);
    ~TGarminForm() override;

    Session& session() { return *session_; }
    TfmProgress& progress() { return *progress_; }
    // Reads what the channel has (the 50 ms receive poll).
    void pollChannel();
    // StatusBar1: the channel's state, as the main window's first panel.
    void showChannelState(const std::string& text);

private:
    void log(const std::string& line);
    void refreshLists();
    void showProgress(const std::string& text);
    void hideProgress();
    void report(const core::Result& result);

    GarminWindowEnv env_;
    std::unique_ptr<Session> session_;
    std::unique_ptr<host::Timer> timer1_, rxPoll_;
    TfmProgress* progress_;
    QPlainTextEdit* memo_;
    QLabel *label1_, *label2_, *label4_;
    QLabel* status_ = nullptr;
    QListWidget *protocols_, *commands_;
    QCheckBox *hex_, *explain_, *simulate_;
    QComboBox* combo_;
};

}  // namespace garmin::ui
