#pragma once
// The undo history of the editing commands: each command is one step that
// knows how to take itself back and to make itself again. Steps keep what
// they replaced (rows, unlinked tree nodes), never a copy of the document,
// so a step costs what the command changed.

#include <deque>
#include <functional>
#include <string>

namespace core {

class UndoStack {
public:
    static constexpr size_t kDefaultLimit = 100;

    struct Step {
        std::string label;
        std::function<void()> undo, redo;
        // Steps of one list editing session share a group, so they can be
        // dropped together when the list is written back or given up.
        int group = 0;
        // Whether the step still fits the data it changed (true: undoing);
        // none: always. A step that no longer fits is refused, not applied.
        std::function<bool(bool undoing)> applies;
    };

    explicit UndoStack(size_t limit = kDefaultLimit) : limit_(limit) {}

    // Records a command that has just been done; forgets what was undone.
    void push(Step step);
    // False when there is nothing to undo or redo, or the step refused.
    bool canUndo() const { return done_ > 0; }
    bool canRedo() const { return done_ < steps_.size(); }
    bool undo();
    bool redo();
    void clear();
    // Forgets every step of a group (done or undone).
    void dropGroup(int group);
    // The group of the step an undo would take back; -1 when none.
    int undoGroup() const { return canUndo() ? steps_[done_ - 1].group : -1; }
    int redoGroup() const { return canRedo() ? steps_[done_].group : -1; }
    size_t size() const { return steps_.size(); }
    const std::string& undoLabel() const;
    const std::string& redoLabel() const;
    // Called after every push, undo, redo and clear, for menus to follow.
    std::function<void()> changed;

private:
    void notify() {
        if (changed) changed();
    }
    std::deque<Step> steps_;
    size_t done_ = 0;  // steps_[0, done_) are done
    size_t limit_;
};

}  // namespace core
