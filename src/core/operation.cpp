#include "core/operation.h"

#include "core/result.h"

namespace core {

const char* OutcomeName(Outcome outcome) {
    switch (outcome) {
        case Outcome::Done: return "done";
        case Outcome::Cancelled: return "cancelled";
        case Outcome::NothingToDo: return "nothing to do";
        case Outcome::Failed: return "failed";
    }
    return "failed";
}

bool Operation::yieldNow() {
    if (hooks_.yield && !cancelled_) hooks_.yield();
    return !cancelled_;
}

bool Operation::step(long done, long total) {
    if (done % kYieldEvery != 0) return !cancelled_;
    if (total > 0) showProgress(done, total);
    return yieldNow();
}

bool Operation::stepLine(long count, std::string_view line) {
    if (count % kYieldEvery != 0) return !cancelled_;
    status(std::to_string(count) + " " + std::string(line));
    return yieldNow();
}

void Operation::showProgress(long done, long total) {
    if (!hooks_.progress) return;
    if (done >= total || total <= 0)
        hooks_.progress(-1.0);
    else
        hooks_.progress(static_cast<double>(done) / static_cast<double>(total));
}

void Operation::hideProgress() {
    if (hooks_.progress) hooks_.progress(-1.0);
}

}  // namespace core
