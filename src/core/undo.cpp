#include "core/undo.h"

namespace core {

void UndoStack::push(Step step) {
    steps_.erase(steps_.begin() + static_cast<std::ptrdiff_t>(done_), steps_.end());
    steps_.push_back(std::move(step));
    if (steps_.size() > limit_) steps_.pop_front();
    done_ = steps_.size();
    notify();
}

bool UndoStack::undo() {
    if (!canUndo()) return false;
    --done_;
    if (steps_[done_].undo) steps_[done_].undo();
    notify();
    return true;
}

bool UndoStack::redo() {
    if (!canRedo()) return false;
    if (steps_[done_].redo) steps_[done_].redo();
    ++done_;
    notify();
    return true;
}

void UndoStack::clear() {
    steps_.clear();
    done_ = 0;
    notify();
}

const std::string& UndoStack::undoLabel() const {
    static const std::string none;
    return canUndo() ? steps_[done_ - 1].label : none;
}

const std::string& UndoStack::redoLabel() const {
    static const std::string none;
    return canRedo() ? steps_[done_].label : none;
}

}  // namespace core
