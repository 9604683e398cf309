#pragma once
// Editing one point, or chosen fields of several list rows at once: the
// point editor's model (TPointEditor), its 31-symbol slider, and the writes
// of its answer into list rows or a point node of the tree.

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "core/document.h"
#include "core/point_list.h"
#include "host/host.h"

namespace core {

// Garmin symbol numbers of slider positions 1 to 31.
constexpr std::array<unsigned short, 31> kSliderSymbols = {178, 10,  170, 151, 18,  171,  3263, 3264,
                                                           150, 7,   0,   19,  163, 162,  175,  14,
                                                           156, 155, 152, 157, 159, 161,  160,  8,
                                                           11,  173, 6,   3205, 3242, 6400, 6411};
// The symbol number at a slider position (1..31; outside: position 1).
unsigned short SliderSymbol(int position);
// The position of a symbol number; 1 when it is not one of the 31.
int SliderPosition(unsigned short number);
// The first table entry's name for a number; empty when the table has none.
std::string SymbolNameOfNumber(const SymbolTable& symbols, unsigned short number);

enum class PointField { Lat, Lon, Ele, DateTime, Name, Sym, Cmt, Desc, Count };

// The dialog's model: eight texts, and in multi mode which were changed.
struct PointEditModel : host::DialogModel {
    std::string dialogName() const override { return "TPointEditor"; }
    bool multi = false;
    std::array<std::string, static_cast<size_t>(PointField::Count)> fields;
    std::array<bool, static_cast<size_t>(PointField::Count)> checked{};
    // For the dialog's symbol list and its date and time fields.
    const SymbolTable* symbols = nullptr;
    const host::LocaleInfo* locale = nullptr;

    std::string& field(PointField f) { return fields[static_cast<size_t>(f)]; }
    const std::string& field(PointField f) const { return fields[static_cast<size_t>(f)]; }
    bool isChecked(PointField f) const { return checked[static_cast<size_t>(f)]; }
    void check(PointField f, bool on = true) { checked[static_cast<size_t>(f)] = on; }
};

// The dialog's date and time fields for a date-time serial text; none when
// the text is no number.
struct DateAndTime {
    std::string date, time;
};
std::optional<DateAndTime> SplitDateTime(const std::string& serialText, const host::LocaleInfo& locale);
// SpeedButton1: the serial text from a date as the dialog shows it (the
// locale's short date, whatever its order and month names, or
// "dd-mm-yyyy") and a time "hh:mm:ss"; none when the result is 0 or the
// date cannot be read.
std::optional<std::string> JoinDateTime(const std::string& date, const std::string& time,
                                        const host::LocaleInfo& locale);

// Fills the model from a list row.
PointEditModel ModelFromRow(const ListRow& row, bool multi);
// Writes the answer into a row: every field in single mode, only the
// checked ones in multi mode. Date and time columns follow the date-time.
void WriteToRow(const PointEditModel& model, ListRow& row, const host::LocaleInfo& locale);

// The tree command "Edit point" on the focused node: what is to be edited.
struct TreePointTarget {
    enum class Kind { None, Point, NameLine } kind = Kind::None;
    NodeId node = kNoNode;
};
TreePointTarget FindEditTarget(const Document& doc, NodeId focused);
// A point node's texts for the dialog, numbers with the user's decimal separator.
PointEditModel ModelFromPoint(const Document& doc, NodeId point, const host::Clock& clock, char decimalSeparator);

// Before-and-after of a tree edit, for undo: the node's text and its children.
struct TreePointEdit {
    NodeId node = kNoNode;  // the point, or the name line's parent
    NodeId line = kNoNode;  // the name line, for a name edit
    std::string textBefore, textAfter, lineBefore, lineAfter;
    std::vector<NodeId> before, after;  // attribute children of a point
};
// Replaces a point's attribute lines with the model's fields and relabels a
// waypoint; marks the document changed.
TreePointEdit WritePoint(Document& doc, NodeId point, const PointEditModel& model, const host::Clock& clock);
// Sets a name line and relabels a waypoint, track or route above it.
TreePointEdit WriteNameLine(Document& doc, NodeId line, const std::string& name);
void UndoPointEdit(Document& doc, TreePointEdit& e);
void RedoPointEdit(Document& doc, TreePointEdit& e);

}  // namespace core
