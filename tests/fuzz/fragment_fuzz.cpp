// GPX fragment insertion at every kind of focused node, and the fragments
// made from the result.

#include "formats/gpx.h"
#include "formats/tree_to_gpx.h"
#include "fuzz_env.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    FuzzEnv f;
    core::Document& doc = f.doc;
    doc.AddWaypoint("1", "2", "", "", "w", core::Symbol::none(), "", "");
    doc.NewRoute("r");
    doc.AddRoutepoint("3", "4", "", "", "p", core::Symbol::none(), "", "");
    doc.NewTrack("t");
    doc.AddTrackpoint("5", "6", "", "");
    // The first byte picks the focused node among the first nodes made.
    core::NodeId focus = data[0] % doc.store().nodeCount();
    doc.setFocused(doc.alive(focus) && focus != core::kRootNode ? focus : core::kNoNode);
    formats::GpxInserter inserter(f.env);
    inserter.xmlAddChild(std::string_view(reinterpret_cast<const char*>(data + 1), size - 1));
    for (core::NodeId n = 1; n < doc.store().nodeCount() && n < 64; ++n) {
        if (!doc.alive(n)) continue;
        std::string text = formats::createXmlFromNode(doc, n, nullptr);
        if (!formats::xml::parseMemory(text)) std::abort();
    }
    return 0;
}
