#pragma once
// A complete, quiet environment for the fuzz targets.

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/result.h"
#include "formats/env.h"
#include "formats/xml.h"
#include "host/fake/fake_host.h"

struct FuzzEnv {
    host::FakeHost host;
    // Read-only for every target, so built once: sorting and indexing the
    // 512 slots per input would cost more than most inputs.
    const core::SymbolTable& symbols = sharedSymbols();
    core::Document doc{symbols, host.fakeClock};
    core::PointList points;
    core::Operation operation;
    formats::Env env{doc, symbols, host.fakeClock, host.fakeLocale, operation, [](const std::string&) {},
                    [](const std::string&) {}};

    static const core::SymbolTable& sharedSymbols() {
        static const core::SymbolTable table = [] {
            core::SymbolTable t;
            t.loadFromText("0\tAnchor\n18\tWaypoint\n");
            return t;
        }();
        return table;
    }
};

// One scratch file per process, so parallel fuzzing jobs do not collide; in
// memory where the system offers it, since every save syncs its file.
inline std::string scratchFile(const char* suffix) {
    static const char* dir = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    return std::string(dir) + "/pathkeep-fuzz-" + std::to_string(::getpid()) + suffix;
}

inline void writeScratch(const std::string& path, const uint8_t* data, size_t size) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) std::abort();
    std::fwrite(data, 1, size, f);
    std::fclose(f);
}

// What the writers produce must always be well-formed XML.
inline void requireWellFormed(const std::string& path) {
    formats::xml::ParseError error;
    if (!formats::xml::parseFile(path, &error)) {
        std::fprintf(stderr, "written file is not well-formed: %s\n", error.describe().c_str());
        std::abort();
    }
}

// What a writer made must read back without a fault.
template <typename Read>
void requireReadsBack(const std::string& path, Read read) {
    if (path.size() > 4 && (path.substr(path.size() - 4) == ".gpx" || path.substr(path.size() - 4) == ".kml"))
        requireWellFormed(path);
    static FuzzEnv again;  // made once: a document is costly to set up under the sanitizers
    again.doc.initTree();
    core::Result r = read(again.env, path);
    if (!r.isDone()) {
        std::fprintf(stderr, "written file does not read back: %s\n", r.describe().c_str());
        std::abort();
    }
}
