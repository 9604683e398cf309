#pragma once
// What readers and writers work on: the document, the symbol table, the
// clock and locale, the message log, and the operation they run inside.
// They never ask the user anything: what to do comes in their options, and
// how it went goes out as a core::Result.

#include <functional>
#include <optional>
#include <vector>
#include <string>
#include <string_view>

#include "core/document.h"
#include "core/operation.h"
#include "core/point_list.h"
#include "core/result.h"
#include "core/symbols.h"
#include "host/host.h"

namespace formats {

using core::kYieldEvery;

struct Env {
    core::Document& doc;
    const core::SymbolTable& symbols;
    const host::Clock& clock;
    const host::LocaleInfo& locale;
    core::Operation& operation;
    std::function<void(const std::string&)> report;  // message log
    // A log line that tells of lost or changed data (a skipped line, a
    // replaced character); the command line prints these. None: report.
    std::function<void(const std::string&)> warn = nullptr;

    void warning(const std::string& text) const { warn ? warn(text) : report(text); }

    char decimalSeparator() const { return locale.decimalSeparator(); }
    void status(const std::string& text) const { operation.status(text); }
    // A loader over the document that stops when the operation is cancelled.
    core::PointLoader loader() const {
        return core::PointLoader(doc, symbols, {clock, locale, &operation, nullptr});
    }
};

// What a writer puts in the file.
enum class WholeDocument { Tracks, Waypoints };

// Where a viewer looks first (KML's LookAt): the ranges of all track
// points, which the caller works out before the save.
struct ViewBox {
    long double minLat = 0, maxLat = 0, minLon = 0, maxLon = 0;
};

struct SaveOptions {
    // Only the focused part of the document (the tree's "Save points as...").
    bool selectionOnly = false;
    // What a points-only format (text export) writes of a whole document.
    WholeDocument whole = WholeDocument::Tracks;
    // The text export's columns, as entries "[02] Latitude" in file order.
    std::vector<std::string> fields;
    ViewBox view;
};

struct CsvSettings {
    char separator = '\t';
    int latColumn = 0, lonColumn = 0, timeColumn = 0, altColumn = 0;  // 1..20, 0 = none
    int dateColumn = 0, dateTimeColumn = 0;
    std::vector<int> hemisphereColumns;  // columns of N/S or E/W letters
    bool headerRow = false;
    // Six-digit dates as yymmdd, as Columbus V-900 and V-990 loggers write
    // them; otherwise ddmmyy.
    bool yearFirstDates = false;
};

struct ReadOptions {
    // The delimited text reader's columns; none: there is nothing to read by.
    std::optional<CsvSettings> csv;
    // NMEA logs: also the sentences of other satellite systems.
    bool allTalkers = true;
};

}  // namespace formats
