#pragma once
// The commands that work with the document in the window: "Edit list of
// points" with its OK and Cancel, the list commands (delete, sort, select,
// edit rows), the point editor, Cut/Copy/Paste dispatched by focus, the
// track analysis commands, and Undo/Redo over all of them. The widgets only
// say which view has the focus and which rows are selected.

#include <optional>
#include <string>
#include <vector>

#include "app/workspace.h"
#include "core/signal.h"
#include "core/undo.h"

namespace app {

class EditCommands {
public:
    enum class View { None, Tree, Points, Waypoints };  // VST, LV1, LV2
    using Rows = std::vector<size_t>;

    explicit EditCommands(Workspace& ws);
    ~EditCommands();
    EditCommands(const EditCommands&) = delete;
    EditCommands& operator=(const EditCommands&) = delete;

    // --- list editing ---
    bool listEditing() const { return listNode_ != core::kNoNode; }
    core::NodeId listNode() const { return listNode_; }
    // "Edit list of points" on the focused node; shows page 0 through `showPage`.
    void mShowPointsClick();
    // OK with the name field's text; Cancel.
    void btOKClick(const std::string& name);
    void btCancelClick();
    core::Signal<bool> editingChanged;  // true: the mode began
    std::function<void(int page)> showPage;

    // --- the list views ---
    core::ListRows& rowsOf(View view);
    void PuntenVerwijderen(View view, const Rows& selected);
    void LijstSorteren(View view);
    void LV2ColumnClick(int column);
    // Double click or "&Edit" on the selected rows.
    void PuntBewerken(View view, const Rows& selected);
    // "Edit point" on the tree's focused node.
    void mEditPointClick();

    // --- clipboard, by the view that has the focus ---
    void Knippen1Click(View focus, const Rows& selected);
    void Kopieren1Click(View focus, const Rows& selected);
    void Plakken1Click(View focus, const Rows& selected);
    // The hidden memo: the last text put on or taken from the clipboard.
    const std::string& mKlembord() const { return klembord_; }
    bool treeCommandRunning() const { return treeBusy_; }

    // --- track analysis ---
    void Berekenafstand1Click(View view);
    void Verplaatsnaardichtsbijzijnde1Click(View view, const Rows& selected);
    void Gebruiktijdalspuntnaam1Click(View view);
    // The listed track's rows, or else the track focused in the tree.
    void Trackomkeren1Click();
    // "New track" and "New route" of the tree's menu.
    void mNewTrackClick();
    void mNewRouteClick();

    // --- undo ---
    bool canUndo() const;
    bool canRedo() const;
    void undo();
    void redo();
    core::UndoStack& history() { return history_; }

private:
    void push(std::string label, View view, std::function<void()> undo, std::function<void()> redo);
    void reverseFocusedTrack();
    void addContainer(bool track);
    void treeCopy();
    void treeCut();
    void treePaste();
    void copyRows(View view, const Rows& selected);
    void pasteRows(View view, const Rows& selected);
    void deleteRows(View view, const Rows& selected, const std::string& label);
    void endListEditing();
    bool historyStillValid();
    bool groupOpen(int group) const;

    Workspace& ws_;
    core::NodeId listNode_ = core::kNoNode;
    std::uint64_t listGeneration_ = 0;  // the document the list was made from
    std::string klembord_;
    bool treeBusy_ = false;
    core::UndoStack history_;
    int session_ = 0;  // the undo group of the running list editing
    size_t nodeCountSeen_ = 0;
    core::ScopedConnection reset_;
};

}  // namespace app
