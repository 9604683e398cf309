#pragma once
// A document with the shipped symbol table and a scripted host, plus a way to
// print a subtree the way the tree view shows it.

#include <string>

#include "core/document.h"
#include "core/point_list.h"
#include "host/fake/fake_host.h"

struct TreeFixture {
    host::FakeHost host;
    core::SymbolTable symbols;
    core::Document doc{symbols, host.fakeClock};
    core::PointList points;
    core::ListRows rows;
    std::string listName;
    std::vector<std::string> statusTexts;
    // The operation loaders, readers and writers run in; Escape in a test is
    // op.requestCancel(), often from host.fakePump.onProcess.
    core::Operation op{core::Operation::Hooks{[this] { host.fakePump.processEvents(); }, nullptr,
                                              [this](const std::string& s) { statusTexts.push_back(s); }}};

    TreeFixture() {
        symbols.loadFromText("0\tAnchor\n18\tWaypoint\n178\tFlag, Blue\n100\tFlag\n");
    }

    core::PointLoader loader() {
        return core::PointLoader(doc, symbols,
                                 {host.fakeClock, host.fakeLocale, &op,
                                  [this](const std::string& s) { listName = s; }});
    }

    // Each node on a line, indented two blanks per level below `node`.
    std::string dump(core::NodeId node, int depth = 0) const {
        std::string out;
        for (core::NodeId c = doc.firstChild(node); c != core::kNoNode; c = doc.nextSibling(c)) {
            out += std::string(static_cast<size_t>(depth) * 2, ' ') + doc.getText(c) + "\n";
            out += dump(c, depth + 1);
        }
        return out;
    }

    core::NodeId child(core::NodeId parent, int index) const {
        core::NodeId c = doc.firstChild(parent);
        for (int i = 0; i < index && c != core::kNoNode; ++i) c = doc.nextSibling(c);
        return c;
    }
};
