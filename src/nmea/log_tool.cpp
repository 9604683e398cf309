#include "nmea/log_tool.h"

#include <cstdio>
#include <memory>

#include "core/fn.h"
#include "formats/atomic_file.h"
#include "formats/file_type.h"
#include "formats/line_reader.h"

namespace nmea {

namespace {

constexpr std::string_view kRmc = "$GPRMC";
constexpr int kDateField = 10;

bool isRmc(std::string_view line) { return line.substr(0, kRmc.size()) == kRmc; }

std::string safeForFileName(std::string_view date) {
    std::string out(date);
    for (char& c : out)
        if (c == '/' || static_cast<unsigned char>(c) < 0x20) c = '_';
    return out;
}

}  // namespace

std::string_view RmcDateOf(std::string_view line) {
    if (!isRmc(line) || !core::CheckNmeaChecksum(line)) return {};
    return core::NmeaFieldView(line, kDateField);
}

LineDecision LogLineRules::take(std::string_view line) {
    LineDecision d;
    d.valid = core::CheckNmeaChecksum(line);
    if (d.valid && options_.split && isRmc(line)) {
        std::string_view date = core::NmeaFieldView(line, kDateField);
        if (!date.empty() && date != date_) {
            date_ = date;
            d.newFile = true;
        }
    }
    bool dropped = (options_.removeBad && !d.valid) || (options_.rmcOnly && !isRmc(line));
    if (!d.valid) ++errors_;
    // Empty lines count as errors above but are never written.
    d.write = !dropped && !line.empty();
    return d;
}

std::string LogOutputName(const std::string& source, const std::string* date,
                          const std::function<bool(const std::string&)>& exists) {
    std::string name = formats::ReplaceExtension(source, "") +
                       (date ? " (" + safeForFileName(*date) + ").log" : std::string(" (convert).log"));
    while (exists(name)) name += ".log";
    return name;
}

namespace {

// The output files of one run, one open at a time.
class Outputs {
public:
    Outputs(const std::string& source, bool split) : source_(source), split_(split) {}
    ~Outputs() { discardAll(); }

    bool start(const std::string& date) {
        if (file_ && !finish()) return false;
        std::string name = LogOutputName(source_, split_ ? &date : nullptr, [this](const std::string& n) {
            if (formats::StatusOf(n).exists) return true;
            for (const auto& w : written_)
                if (w == n) return true;
            return false;
        });
        file_ = std::make_unique<formats::AtomicFile>(name);
        if (!file_->open()) return fail();
        return true;
    }
    bool write(std::string_view line) {
        if (!file_->write(line) || !file_->write("\r\n")) return fail();
        return true;
    }
    bool finish() {
        if (!file_) return true;
        if (!file_->commit()) return fail();
        written_.push_back(file_->path());
        file_.reset();
        return true;
    }
    // The run did not complete: every file it made goes.
    void discardAll() {
        if (file_) file_->discard();
        file_.reset();
        if (kept_) return;
        for (const auto& w : written_) std::remove(w.c_str());
        written_.clear();
    }
    void keep() { kept_ = true; }
    const std::vector<std::string>& written() const { return written_; }
    const std::string& error() const { return error_; }

private:
    bool fail() {
        if (error_.empty()) error_ = file_ ? file_->error() : std::string("Cannot write");
        return false;
    }

    std::string source_;
    bool split_;
    std::unique_ptr<formats::AtomicFile> file_;
    std::vector<std::string> written_;
    std::string error_;
    bool kept_ = false;
};

// The date the first output file is named after: that of the first RMC
// line that passes its checksum and has one.
bool firstDate(formats::LineReader& in, core::Operation& operation, std::string& date) {
    std::string_view line;
    long count = 0;
    while (in.next(line)) {
        if (!operation.step(++count)) return false;
        std::string_view d = in.overlong() ? std::string_view() : RmcDateOf(line);
        if (!d.empty()) {
            date = d;
            break;
        }
    }
    return !in.failed() && in.rewind();
}

}  // namespace

LogToolResult RunLogTool(const std::string& source, const LogToolOptions& options, core::Operation& operation) {
    LogToolResult out;
    if (!options.any()) return out;
    formats::LineReader in(source);
    if (!in.open()) {
        out.result = core::Result::failed(in.error());
        return out;
    }
    std::string date;
    if (options.split && !firstDate(in, operation, date)) {
        out.result = in.failed() ? core::Result::failed(in.error()) : core::Result::cancelled();
        return out;
    }
    Outputs files(source, options.split);
    LogLineRules rules(options, date);
    const bool writing = !options.countOnly;
    if (writing && !files.start(date)) {
        out.result = core::Result::failed(files.error());
        return out;
    }
    std::string_view line;
    long count = 0;
    bool ok = true;
    while (ok && in.next(line)) {
        ++count;
        if (count % core::kYieldEvery == 0) {
            operation.showProgress(in.position(), in.size());
            if (!operation.stepLine(count, line)) break;
        }
        if (in.overlong()) {
            rules.takeOverlong();
            continue;
        }
        LineDecision d = rules.take(line);
        if (writing && d.newFile) ok = files.start(rules.currentDate());
        if (writing && ok && d.write) ok = files.write(line);
    }
    operation.hideProgress();
    out.errors = rules.errors();
    if (in.failed() || !ok) {
        out.result = core::Result::failed(in.failed() ? in.error() : files.error(), static_cast<int>(count));
        return out;
    }
    if (operation.cancelled()) {
        out.result = core::Result::cancelled();
        return out;
    }
    if (writing && !files.finish()) {
        out.result = core::Result::failed(files.error());
        return out;
    }
    if (writing) files.keep();
    out.filesWritten = writing ? files.written() : std::vector<std::string>{};
    out.result = core::Result::done();
    return out;
}

}  // namespace nmea
