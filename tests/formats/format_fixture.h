#pragma once
// A document with a scripted host wired up as the readers and writers see it.

#include "../core/tree_fixture.h"
#include "../temp_dir.h"
#include "formats/env.h"

struct FormatFixture : TreeFixture {
    std::vector<std::string> log;
    std::vector<std::string> statuses;
    TempDir dir;

    formats::Env env() {
        return formats::Env{doc,
                            points,
                            symbols,
                            host,
                            [this](const std::string& s) { log.push_back(s); },
                            [this](const std::string& s) { statuses.push_back(s); },
                            nullptr,
                            [this] { return loader(); },
                            [](int n) { return "message " + std::to_string(n); },
                            nullptr,
                            nullptr};
    }
};
