#pragma once
// A document with a scripted host wired up as the readers and writers see it.

#include "../core/tree_fixture.h"
#include "../temp_dir.h"
#include "formats/env.h"

struct FormatFixture : TreeFixture {
    std::vector<std::string> log;
    std::vector<std::string> warnings;  // the lines of the log that are warnings
    std::vector<std::string> statuses;
    TempDir dir;

    static formats::SaveOptions selection(bool selectionOnly) {
        formats::SaveOptions o;
        o.selectionOnly = selectionOnly;
        return o;
    }

    formats::Env env() {
        return formats::Env{doc, symbols, host.fakeClock, host.fakeLocale, op,
                            [this](const std::string& s) { log.push_back(s); },
                            [this](const std::string& s) { log.push_back(s); warnings.push_back(s); }};
    }
};
