#include "host/fake/fake_host.h"

#include <cstdio>

namespace host {

Answer FakePrompts::nextAnswer() {
    if (answers.empty()) return Answer::Yes;
    Answer a = answers.front();
    answers.pop_front();
    return a;
}

std::optional<std::string> FakePrompts::nextPath() {
    if (paths.empty()) return std::nullopt;
    auto p = paths.front();
    paths.pop_front();
    return p;
}

Answer FakePrompts::askYesNo(const std::string& text, Severity severity) {
    asked.push_back({"yesno", text, severity});
    return nextAnswer();
}

Answer FakePrompts::askYesNoCancel(const std::string& text, Severity severity) {
    asked.push_back({"yesnocancel", text, severity});
    return nextAnswer();
}

void FakePrompts::show(const std::string& text, Severity severity) { asked.push_back({"show", text, severity}); }

std::optional<std::string> FakePrompts::openFile(const std::string& title, const std::string&,
                                                 const std::vector<FileFilter>&) {
    asked.push_back({"open", title, Severity::Information});
    return nextPath();
}

std::optional<std::string> FakePrompts::saveFile(const std::string& title, const std::string&,
                                                 const std::vector<FileFilter>&) {
    asked.push_back({"save", title, Severity::Information});
    return nextPath();
}

std::optional<std::string> FakePrompts::inputText(const std::string& title, const std::string&,
                                                  const std::string&) {
    asked.push_back({"input", title, Severity::Information});
    return nextPath();
}

bool FakePrompts::show(DialogModel& dialog) {
    asked.push_back({"dialog", dialog.dialogName(), Severity::Information});
    if (fillDialog) fillDialog(dialog);
    if (dialogResults.empty()) return false;
    bool r = dialogResults.front();
    dialogResults.pop_front();
    return r;
}

std::unique_ptr<Timer> FakeTimers::createTimer(const std::string& name) {
    auto t = std::make_unique<FakeTimer>();
    made_.emplace_back(name, t.get());
    return t;
}

FakeTimer* FakeTimers::find(const std::string& name) const {
    for (const auto& [n, t] : made_)
        if (n == name) return t;
    return nullptr;
}

std::string FakeLocale::formatShortDate(int year, int month, int day) const {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02d-%02d-%04d", day, month, year);
    return buf;
}

}  // namespace host
