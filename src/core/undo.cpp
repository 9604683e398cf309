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
    if (steps_[done_ - 1].applies && !steps_[done_ - 1].applies(true)) return false;
    --done_;
    if (steps_[done_].undo) steps_[done_].undo();
    notify();
    return true;
}

bool UndoStack::redo() {
    if (!canRedo()) return false;
    if (steps_[done_].applies && !steps_[done_].applies(false)) return false;
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

void UndoStack::dropGroup(int group) {
    size_t doneBefore = 0;
    for (size_t i = 0; i < done_; ++i)
        if (steps_[i].group != group) ++doneBefore;
    std::erase_if(steps_, [group](const Step& s) { return s.group == group; });
    done_ = doneBefore;
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
