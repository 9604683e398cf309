#include "app/operations.h"

namespace app {

Operations::Scope::Scope(Operations& owner) : owner_(owner) {
    if (owner_.depth_++ > 0) return;
    host::EventPump& pump = owner_.pump_;
    owner_.current_ = std::make_unique<core::Operation>(
        core::Operation::Hooks{[&pump] { pump.yieldToUser(); }, owner_.hooks_.progress, owner_.hooks_.status});
    pump.setBusy(true);
}

Operations::Scope::~Scope() {
    if (--owner_.depth_ > 0) return;
    owner_.current_->hideProgress();
    owner_.pump_.setBusy(false);
    owner_.finish();
}

void Operations::finish() {
    // Queued timer work runs once the document is ours again; work that
    // starts a new operation of its own is fine here.
    while (depth_ == 0 && !queued_.empty()) {
        auto work = std::move(queued_.front());
        queued_.pop_front();
        work();
    }
    if (depth_ == 0) current_.reset();
}

void Operations::requestCancel() {
    if (running() && current_) current_->requestCancel();
}

void Operations::whenIdle(std::function<void()> work) {
    if (!running()) {
        work();
        return;
    }
    queued_.push_back(std::move(work));
}

}  // namespace app
