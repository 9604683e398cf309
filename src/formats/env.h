#pragma once
// What readers and writers work on: the document, the point list, the symbol
// table and the host, with the message log, status line and progress.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/document.h"
#include "core/point_list.h"
#include "core/symbols.h"
#include "host/host.h"

namespace formats {

struct Env {
    core::Document& doc;
    core::PointList& points;
    const core::SymbolTable& symbols;
    host::Host& host;
    std::function<void(const std::string&)> report;    // message log
    std::function<void(const std::string&)> status;    // status line
    std::function<void(double)> progress;              // 0..1 of long work; below 0 when done
    std::function<core::PointLoader()> makeLoader;
    std::function<std::string(int)> message;           // numbered message, "#" as line breaks
    // The text export's chosen fields, and how "Save as default" keeps them.
    std::vector<std::string>* exportFields = nullptr;
    std::function<void(const std::vector<std::string>&)> saveFieldsAsDefault;

    char decimalSeparator() const { return host.locale().decimalSeparator(); }
};

// Every this many points long loops let the user interface breathe.
constexpr int kYieldEvery = 100;

// One step of a loop over the lines of a file: every 100th line shows the
// line in the status bar and lets events run. False once the user pressed
// Escape.
// Shows how far a loop over `total` points has got; hides the bar at the end.
inline void ShowProgress(Env& env, long done, long total) {
    if (!env.progress) return;
    env.progress(done >= total || total <= 0 ? -1.0 : static_cast<double>(done) / static_cast<double>(total));
}

inline bool LineStep(Env& env, int count, std::string_view line) {
    if (count % kYieldEvery == 0) {
        env.status(std::to_string(count) + " " + std::string(line));
        env.host.eventPump().processEvents();
    }
    return !env.doc.cancelRequested;
}

}  // namespace formats
