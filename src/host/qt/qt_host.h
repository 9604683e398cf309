#pragma once
// Qt adapters of the host seams. With `gui` false (pathkeep-cli) prompts go
// to stderr and are answered "No", and the clipboard is kept in memory.

#include <QElapsedTimer>
#include <QLocale>
#include <QObject>
#include <QTimer>

#include "host/host.h"
#include "host/qt/qt_network.h"

class QWidget;

namespace host {

class QtPrompts : public Prompts {
public:
    explicit QtPrompts(bool gui) : gui_(gui) {}
    void setParent(QWidget* parent) { parent_ = parent; }

    Answer askYesNo(const std::string& text, Severity severity) override;
    Answer askYesNoCancel(const std::string& text, Severity severity) override;
    void show(const std::string& text, Severity severity) override;
    std::optional<std::string> openFile(const std::string& title, const std::string& directory,
                                        const std::vector<FileFilter>& filters) override;
    std::optional<std::string> saveFile(const std::string& title, const std::string& suggestedPath,
                                        const std::vector<FileFilter>& filters) override;
    std::optional<std::string> inputText(const std::string& title, const std::string& prompt,
                                         const std::string& initial) override;
    bool show(DialogModel& dialog) override;

    // Our own dialogs register a function that shows them for their model.
    // The runner hands each dialog it makes to `setup` before showing it, so
    // that the language chosen reaches dialogs made on demand.
    using DialogSetup = std::function<void(QWidget* dialog)>;
    using DialogRunner = std::function<bool(DialogModel&, QWidget* parent, const DialogSetup& setup)>;
    void registerDialog(const std::string& name, DialogRunner runner);
    void setDialogSetup(DialogSetup setup) { setup_ = std::move(setup); }

private:
    bool gui_;
    QWidget* parent_ = nullptr;
    std::vector<std::pair<std::string, DialogRunner>> dialogs_;
    DialogSetup setup_;
};

class QtTimer : public Timer {
public:
    QtTimer();
    void start() override { timer_.start(); }
    void stop() override { timer_.stop(); }
    bool running() const override { return timer_.isActive(); }
    void setIntervalMs(int intervalMs) override { timer_.setInterval(intervalMs); }
    int intervalMs() const override { return timer_.interval(); }
    void onTick(std::function<void()> handler) override { handler_ = std::move(handler); }

private:
    QTimer timer_;
    std::function<void()> handler_;
};

class QtTimers : public Timers {
public:
    std::unique_ptr<Timer> createTimer(const std::string& name) override;
};

class QtEventPump : public EventPump {
public:
    explicit QtEventPump(bool gui) : gui_(gui) {}
    void processEvents() override;
    void yieldToUser() override;
    void setBusy(bool busy) override;

private:
    bool gui_;
    QElapsedTimer sinceYield_;
};

class QtClock : public Clock {
public:
    double nowSerial() const override;
    int utcOffsetMinutes() const override;

private:
    // The zone look-up is cached: large files ask for every point.
    mutable int offset_ = 0;
    mutable long long checkedSecond_ = 0;
    mutable bool known_ = false;
};

class QtLocale : public LocaleInfo {
public:
    QtLocale();
    char decimalSeparator() const override { return separator_; }
    std::string formatShortDate(int year, int month, int day) const override;

private:
    char separator_ = '.';
    QLocale locale_;
    // Points of one track mostly share their day: the last answer is kept.
    mutable int lastDay_[3] = {0, 0, 0};
    mutable std::string lastText_;
};

class QtClipboard : public Clipboard {
public:
    explicit QtClipboard(bool gui) : gui_(gui) {}
    std::string text() const override;
    void setText(const std::string& text) override;

private:
    bool gui_;
    std::string memory_;
};

class QtShell : public Shell {
public:
    explicit QtShell(bool gui) : gui_(gui) {}
    bool openDocument(const std::string& path) override;

private:
    bool gui_;
};

class QtHost : public Host {
public:
    explicit QtHost(bool gui) : prompts_(gui), pump_(gui), clipboard_(gui), shell_(gui) {}
    QtPrompts& qtPrompts() { return prompts_; }

    Prompts& prompts() override { return prompts_; }
    Timers& timers() override { return timers_; }
    EventPump& eventPump() override { return pump_; }
    const Clock& clock() const override { return clock_; }
    const LocaleInfo& locale() const override { return locale_; }
    Clipboard& clipboard() override { return clipboard_; }
    Shell& shell() override { return shell_; }
    Network& network() override { return network_; }

private:
    QtPrompts prompts_;
    QtTimers timers_;
    QtEventPump pump_;
    QtClock clock_;
    QtLocale locale_;
    QtClipboard clipboard_;
    QtShell shell_;
    QtNetwork network_;
};

}  // namespace host
