#pragma once
// One piece of long work: a loop over points, lines, nodes or packets. The
// operation carries its progress, its cancel request and the yield policy;
// logic asks it whether to go on and never runs the event pump itself. The
// application gives each command its own operation (app/operations.h), so a
// cancel belongs to the work that is running and nothing else.

#include <functional>
#include <string>
#include <string_view>

namespace core {

// Every this many items long loops let the user interface breathe.
constexpr long kYieldEvery = 100;

class Operation {
public:
    struct Hooks {
        std::function<void()> yield;                       // let pending events run
        std::function<void(double)> progress;              // 0..1; below 0 hides the bar
        std::function<void(const std::string&)> status;    // status line
    };

    Operation() = default;  // detached: never yields, shows nothing
    explicit Operation(Hooks hooks) : hooks_(std::move(hooks)) {}
    Operation(const Operation&) = delete;
    Operation& operator=(const Operation&) = delete;

    // One item of a loop of `total` items (0 when unknown). Every
    // kYieldEvery items shows the progress and lets events run, during
    // which the user may cancel. False once cancelled.
    bool step(long done, long total = 0);
    // One line of a file: every kYieldEvery lines the status line shows
    // "count line" and events run. False once cancelled.
    bool stepLine(long count, std::string_view line);
    // Lets events run now (for loops that pace themselves).
    bool yieldNow();

    void requestCancel() { cancelled_ = true; }
    bool cancelled() const { return cancelled_; }

    void showProgress(long done, long total);
    void hideProgress();
    void status(const std::string& text) const {
        if (hooks_.status) hooks_.status(text);
    }

private:
    Hooks hooks_;
    bool cancelled_ = false;
};

}  // namespace core
