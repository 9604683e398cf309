#include "core/point_edit.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "core/fn.h"
#include "core/text.h"

namespace core {

unsigned short SliderSymbol(int position) {
    if (position < 1 || position > static_cast<int>(kSliderSymbols.size())) position = 1;
    return kSliderSymbols[static_cast<size_t>(position - 1)];
}

int SliderPosition(unsigned short number) {
    auto it = std::find(kSliderSymbols.begin(), kSliderSymbols.end(), number);
    return it == kSliderSymbols.end() ? 1 : static_cast<int>(it - kSliderSymbols.begin()) + 1;
}

std::string SymbolNameOfNumber(const SymbolTable& symbols, unsigned short number) {
    return symbols.NumToSym(std::to_string(number));
}

std::optional<DateAndTime> SplitDateTime(const std::string& serialText, const host::LocaleInfo& locale) {
    std::optional<long double> serial = ParseNumber(serialText);
    if (!serial) return std::nullopt;
    DateTimeParts t = DecodeDateTime(*serial);
    return DateAndTime{locale.formatShortDate(t.year, t.month, t.day), TimeOfDayText(t)};
}

namespace {

std::vector<int> numbersIn(std::string_view text) {
    std::vector<int> numbers;
    int value = -1;
    for (char c : text) {
        if (std::isdigit(static_cast<unsigned char>(c))) {
            value = (value < 0 ? 0 : value * 10) + (c - '0');
            if (value > 1000000) return {};
        } else if (value >= 0) {
            numbers.push_back(value);
            value = -1;
        }
    }
    if (value >= 0) numbers.push_back(value);
    return numbers;
}

}  // namespace

namespace {

// The letters and digit runs of a date text: "14 Jun 2026" -> 14, Jun, 2026.
std::vector<std::string> dateTokens(std::string_view text) {
    std::vector<std::string> tokens;
    std::string token;
    bool digits = false;
    for (unsigned char c : text) {
        bool isDigit = std::isdigit(c) != 0;
        bool isWord = !isDigit && (std::isalpha(c) || c >= 0x80);
        if ((!isDigit && !isWord) || (!token.empty() && digits != isDigit)) {
            if (!token.empty()) tokens.push_back(token);
            token.clear();
        }
        if (isDigit || isWord) {
            digits = isDigit;
            token.push_back(static_cast<char>(c));
        }
    }
    if (!token.empty()) tokens.push_back(token);
    return tokens;
}

// Reads a date the way the locale writes it: a probe date shows where the
// day, month and year stand and whether the month is a name.
std::optional<std::array<int, 3>> parseShortDate(const std::string& text, const host::LocaleInfo& locale) {
    constexpr int kYear = 2033, kMonth = 11, kDay = 22;
    std::vector<std::string> probe = dateTokens(locale.formatShortDate(kYear, kMonth, kDay));
    std::vector<std::string> given = dateTokens(text);
    if (probe.empty() || given.size() != probe.size()) return std::nullopt;
    int year = -1, month = -1, day = -1;
    for (size_t i = 0; i < probe.size(); ++i) {
        const std::string& p = probe[i];
        const std::string& g = given[i];
        bool number = std::all_of(g.begin(), g.end(), [](char c) { return c >= '0' && c <= '9'; }) && g.size() <= 6;
        if (p == "22") {
            if (!number) return std::nullopt;
            day = std::stoi(g);
        } else if (p == "11") {
            if (!number) return std::nullopt;
            month = std::stoi(g);
        } else if (p == "33" || p == "2033") {
            if (!number) return std::nullopt;
            year = std::stoi(g);
            if (g.size() <= 2) year += year < 50 ? 2000 : 1900;
        } else if (!std::isdigit(static_cast<unsigned char>(p[0]))) {
            // A month's name, or a weekday's, which says nothing new.
            for (int m = 1; m <= 12 && month < 0; ++m) {
                std::vector<std::string> named = dateTokens(locale.formatShortDate(kYear, m, kDay));
                if (named.size() == probe.size() && AsciiLower(named[i]) == AsciiLower(g)) month = m;
            }
        }
    }
    if (year < 0 || month < 0 || day < 0) return std::nullopt;
    return std::array<int, 3>{year, month, day};
}

}  // namespace

std::optional<std::string> JoinDateTime(const std::string& date, const std::string& time,
                                        const host::LocaleInfo& locale) {
    long double value = 0;
    if (!Trim(date).empty()) {
        int year = 0, month = 0, day = 0;
        if (auto parsed = parseShortDate(date, locale)) {
            year = (*parsed)[0];
            month = (*parsed)[1];
            day = (*parsed)[2];
        } else {
            // "dd-mm-yyyy", or any three numbers day first; a year comes
            // first only when it has four digits.
            std::vector<int> d = numbersIn(date);
            if (d.size() != 3) return std::nullopt;
            day = d[0], month = d[1], year = d[2];
            if (d[0] > 31) {
                year = d[0];
                month = d[1];
                day = d[2];
            }
            if (year < 100) year += year < 50 ? 2000 : 1900;
        }
        if (month < 1 || month > 12 || day < 1 || day > 31) return std::nullopt;
        value = static_cast<long double>(EncodeDate(year, month, day));
    }
    if (!Trim(time).empty()) {
        std::vector<int> t = numbersIn(time);
        if (t.empty() || t.size() > 3) return std::nullopt;
        t.resize(3, 0);
        if (t[0] > 23 || t[1] > 59 || t[2] > 59) return std::nullopt;
        value += (t[0] * 3600.0L + t[1] * 60.0L + t[2]) / 86400.0L;
    }
    if (value == 0) return std::nullopt;
    return ToLocalDecimal(FloatToStrGeneral(value), locale.decimalSeparator());
}

namespace {

constexpr std::array<std::pair<PointField, int>, 8> kRowColumns = {{{PointField::Lat, kColLat},
                                                                    {PointField::Lon, kColLon},
                                                                    {PointField::Ele, kColAlt},
                                                                    {PointField::DateTime, kColSerial},
                                                                    {PointField::Name, kColName},
                                                                    {PointField::Sym, kColSymbol},
                                                                    {PointField::Cmt, kColComment},
                                                                    {PointField::Desc, kColDescription}}};

}  // namespace

PointEditModel ModelFromRow(const ListRow& row, bool multi) {
    PointEditModel m;
    m.multi = multi;
    for (auto [field, column] : kRowColumns) m.field(field) = row[static_cast<size_t>(column)];
    return m;
}

void WriteToRow(const PointEditModel& model, ListRow& row, const host::LocaleInfo& locale) {
    for (auto [field, column] : kRowColumns) {
        if (model.multi && !model.isChecked(field)) continue;
        row[static_cast<size_t>(column)] = model.field(field);
        if (field != PointField::DateTime) continue;
        // An empty or unreadable date-time shows the date and time of serial 0.
        auto split = SplitDateTime(model.field(field), locale);
        DateAndTime dt = split ? *split : *SplitDateTime("0", locale);
        row[kColDate] = dt.date;
        row[kColTime] = dt.time;
    }
}

TreePointTarget FindEditTarget(const Document& doc, NodeId focused) {
    for (NodeId n = focused; n != kNoNode && doc.getLevel(n) >= 2; n = doc.parent(n)) {
        switch (doc.roleOf(n)) {
        case NodeRole::Waypoint:
        case NodeRole::RoutePoint:
        case NodeRole::TrackPoint:
            return {TreePointTarget::Kind::Point, n};
        case NodeRole::Attribute:
        case NodeRole::Metadata:
            if (doc.store().key(n) == AttrKey::Name) return {TreePointTarget::Kind::NameLine, n};
            break;
        default:
            break;
        }
    }
    return {};
}

PointEditModel ModelFromPoint(const Document& doc, NodeId point, const host::Clock& clock, char decimalSeparator) {
    PointEditModel m;
    const NodeStore& store = doc.store();
    for (NodeId c = doc.firstChild(point); c != kNoNode; c = doc.nextSibling(c)) {
        std::string value = store.value(c);
        switch (store.key(c)) {
        case AttrKey::Lat: m.field(PointField::Lat) = ToLocalDecimal(value, decimalSeparator); break;
        case AttrKey::Lon: m.field(PointField::Lon) = ToLocalDecimal(value, decimalSeparator); break;
        case AttrKey::Ele: m.field(PointField::Ele) = value; break;
        case AttrKey::Time: m.field(PointField::DateTime) = XmlToDateTime(value, clock, decimalSeparator); break;
        case AttrKey::Name: m.field(PointField::Name) = value; break;
        case AttrKey::Sym: m.field(PointField::Sym) = value; break;
        case AttrKey::Cmt: m.field(PointField::Cmt) = value; break;
        case AttrKey::Desc: m.field(PointField::Desc) = value; break;
        default: break;
        }
    }
    return m;
}

namespace {

std::vector<NodeId> childrenOf(const Document& doc, NodeId node) {
    std::vector<NodeId> ids;
    for (NodeId c = doc.firstChild(node); c != kNoNode; c = doc.nextSibling(c)) ids.push_back(c);
    return ids;
}

}  // namespace

TreePointEdit WritePoint(Document& doc, NodeId point, const PointEditModel& model, const host::Clock& clock) {
    TreePointEdit e;
    e.node = point;
    e.textBefore = doc.getText(point);
    // Attribute lines go aside (not away) so an undo brings them back.
    // Lines the editor has no field for (a type) are written again after its own.
    std::vector<std::string> kept;
    for (NodeId c : childrenOf(doc, point)) {
        if (doc.roleOf(c) != NodeRole::Attribute) continue;
        if (doc.store().key(c) == AttrKey::Type) kept.push_back(doc.getText(c));
        e.before.push_back(c);
        doc.unlinkNode(c);
    }
    doc.documentModified = true;
    auto add = [&](const char* prefix, const std::string& value) {
        if (!value.empty()) doc.appendNode(point, std::string(prefix) + value, kAttributeKind);
    };
    add("lat = ", CommaToPoint(model.field(PointField::Lat)));
    add("lon = ", CommaToPoint(model.field(PointField::Lon)));
    add("ele = ", CommaToPoint(model.field(PointField::Ele)));
    const std::string& serial = model.field(PointField::DateTime);
    if (!serial.empty()) {
        // A date-time that is no number is stored as typed.
        add("time = ", ParseNumber(serial) ? DateTimeToXml(CommaToPoint(serial), clock) : serial);
    }
    add("name = ", model.field(PointField::Name));
    add("sym = ", model.field(PointField::Sym));
    add("cmt = ", model.field(PointField::Cmt));
    add("desc = ", model.field(PointField::Desc));
    for (const std::string& line : kept) doc.appendNode(point, line, kAttributeKind);
    if (doc.roleOf(point) == NodeRole::Waypoint) doc.setText(point, "wpt (" + model.field(PointField::Name) + ")");
    e.textAfter = doc.getText(point);
    for (NodeId c : childrenOf(doc, point))
        if (doc.roleOf(c) == NodeRole::Attribute) e.after.push_back(c);
    doc.plotMode = 0;
    return e;
}

TreePointEdit WriteNameLine(Document& doc, NodeId line, const std::string& name) {
    TreePointEdit e;
    e.line = line;
    e.node = doc.parent(line);
    e.lineBefore = doc.getText(line);
    e.textBefore = doc.getText(e.node);
    doc.setText(line, "name = " + name);
    doc.documentModified = true;
    switch (doc.roleOf(e.node)) {
    case NodeRole::Waypoint: doc.setText(e.node, "wpt (" + name + ")"); break;
    case NodeRole::Track: doc.setText(e.node, "trk (" + name + ")"); break;
    case NodeRole::Route: doc.setText(e.node, "rte (" + name + ")"); break;
    default: break;
    }
    e.lineAfter = doc.getText(line);
    e.textAfter = doc.getText(e.node);
    return e;
}

namespace {

void swapIn(Document& doc, TreePointEdit& e, bool undo) {
    const std::vector<NodeId>& out = undo ? e.after : e.before;
    const std::vector<NodeId>& in = undo ? e.before : e.after;
    if (e.line != kNoNode) {
        doc.setText(e.line, undo ? e.lineBefore : e.lineAfter);
    } else {
        for (NodeId c : out) doc.unlinkNode(c);
        // Attribute lines come first in a point: they go back before its other children.
        NodeId first = doc.firstChild(e.node);
        for (NodeId c : in) doc.relinkNode(c, e.node, first);
    }
    doc.setText(e.node, undo ? e.textBefore : e.textAfter);
    doc.documentModified = true;
}

}  // namespace

void UndoPointEdit(Document& doc, TreePointEdit& e) { swapIn(doc, e, true); }
void RedoPointEdit(Document& doc, TreePointEdit& e) { swapIn(doc, e, false); }

}  // namespace core
