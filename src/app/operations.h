#pragma once
// The operation context of long commands: busy cursor, progress, cancel and
// the yield policy live here, one operation at a time.
//
// Rules every command follows:
// * A command that loops over points, lines, nodes or packets opens an
//   `Operations::Scope` for its lifetime and hands `scope.operation()` to
//   the logic. The logic asks `step()` whether to go on; it never runs the
//   event pump itself.
// * Escape cancels the running operation only. A cancel request made while
//   nothing runs is dropped, and every new operation starts uncancelled, so
//   a stale Escape never stops later work.
// * A scope opened while another runs joins it: the nested work shares the
//   outer operation's cancel request and busy cursor.
//
// The timer rule (NMEA receive and transmit, the Garmin link timer, the
// capture timers): a tick may arrive while an operation lets events run.
// Such a tick reads its device into its own buffers (bytes into the line
// queue, frames into the link layer) and nothing more; work that touches the
// document, the point list or the views goes through `whenIdle`, which runs
// it at once when no operation runs and otherwise queues it until the
// operation ends. So a timer never re-enters the document mid-operation,
// and no tick's work is lost.

#include <deque>
#include <functional>
#include <memory>
#include <string>

#include "core/operation.h"
#include "host/host.h"

namespace app {

class Operations {
public:
    struct Hooks {
        std::function<void(double)> progress;
        std::function<void(const std::string&)> status;
    };

    Operations(host::EventPump& pump, Hooks hooks) : pump_(pump), hooks_(std::move(hooks)) {}
    Operations(const Operations&) = delete;
    Operations& operator=(const Operations&) = delete;

    class Scope {
    public:
        explicit Scope(Operations& owner);
        ~Scope();
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;
        core::Operation& operation() { return *owner_.current_; }

    private:
        Operations& owner_;
    };

    bool running() const { return depth_ > 0; }
    // Escape: cancels the running operation; does nothing while idle.
    void requestCancel();
    bool cancelRequested() const { return current_ && current_->cancelled(); }
    // Timer work that touches the document: now when idle, else after the
    // running operation ends, in the order it came.
    void whenIdle(std::function<void()> work);
    size_t queuedWork() const { return queued_.size(); }

private:
    void finish();

    host::EventPump& pump_;
    Hooks hooks_;
    std::unique_ptr<core::Operation> current_;
    int depth_ = 0;
    std::deque<std::function<void()>> queued_;
};

}  // namespace app
