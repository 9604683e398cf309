#pragma once
// A scripted host for tests: answers come from queues, every question is
// recorded, time and locale are whatever the test sets.

#include <deque>

#include "host/fake/fake_network.h"
#include "host/host.h"

namespace host {

class FakePrompts : public Prompts {
public:
    struct Asked {
        std::string kind;  // "yesno", "yesnocancel", "show", "open", "save", "input", "dialog"
        std::string text;
        Severity severity = Severity::Information;
    };

    std::deque<Answer> answers;                    // for askYesNo / askYesNoCancel; default Yes
    std::deque<std::optional<std::string>> paths;  // for openFile / saveFile / inputText
    std::deque<bool> dialogResults;                // for show(DialogModel&); default false
    std::function<void(DialogModel&)> fillDialog;  // lets a test play the user in a dialog
    std::vector<Asked> asked;

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

private:
    Answer nextAnswer();
    std::optional<std::string> nextPath();
};

class FakeTimer : public Timer {
public:
    void start() override { running_ = true; }
    void stop() override { running_ = false; }
    bool running() const override { return running_; }
    void setIntervalMs(int intervalMs) override { interval_ = intervalMs; }
    int intervalMs() const override { return interval_; }
    void onTick(std::function<void()> handler) override { handler_ = std::move(handler); }
    // Runs the handler once, as the real timer would after its interval.
    void tick() {
        if (running_ && handler_) handler_();
    }

private:
    bool running_ = false;
    int interval_ = 0;
    std::function<void()> handler_;
};

class FakeTimers : public Timers {
public:
    std::unique_ptr<Timer> createTimer(const std::string& name) override;
    FakeTimer* find(const std::string& name) const;

private:
    std::vector<std::pair<std::string, FakeTimer*>> made_;
};

class FakeEventPump : public EventPump {
public:
    int processCalls = 0;
    int busyDepth = 0;
    // Called from processEvents, so a test can press Escape mid-loop.
    std::function<void(int call)> onProcess;
    void processEvents() override {
        ++processCalls;
        if (onProcess) onProcess(processCalls);
    }
    void setBusy(bool busy) override { busyDepth += busy ? 1 : -1; }
};

class FakeClock : public Clock {
public:
    double now = 39569.5452430556;  // 2008-05-01 13:05:09
    int offsetMinutes = 0;
    double nowSerial() const override { return now; }
    int utcOffsetMinutes() const override { return offsetMinutes; }
};

class FakeLocale : public LocaleInfo {
public:
    char separator = '.';
    char decimalSeparator() const override { return separator; }
    // Day-month-year with dashes, like a Dutch machine.
    std::string formatShortDate(int year, int month, int day) const override;
};

class FakeClipboard : public Clipboard {
public:
    std::string content;
    std::string text() const override { return content; }
    void setText(const std::string& text) override { content = text; }
};

class FakeShell : public Shell {
public:
    std::vector<std::string> opened;
    bool succeed = true;
    bool openDocument(const std::string& path) override {
        opened.push_back(path);
        return succeed;
    }
};

class FakeHost : public Host {
public:
    FakePrompts fakePrompts;
    FakeTimers fakeTimers;
    FakeEventPump fakePump;
    FakeClock fakeClock;
    FakeLocale fakeLocale;
    FakeClipboard fakeClipboard;
    FakeShell fakeShell;
    FakeNetwork fakeNetwork;

    Prompts& prompts() override { return fakePrompts; }
    Timers& timers() override { return fakeTimers; }
    EventPump& eventPump() override { return fakePump; }
    const Clock& clock() const override { return fakeClock; }
    const LocaleInfo& locale() const override { return fakeLocale; }
    Clipboard& clipboard() override { return fakeClipboard; }
    Shell& shell() override { return fakeShell; }
    Network& network() override { return fakeNetwork; }
};

}  // namespace host
