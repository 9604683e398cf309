// Every writer on texts and numbers of any bytes: what the XML writers make
// is well-formed and reads back, and so do the OziExplorer files; XML
// fragments of every node parse.
//
// The input is split at NUL bytes into the fields of a waypoint, a route
// point and two track points: name, comment, description, lat, lon, ele, time.

#include <vector>

#include "formats/gpx.h"
#include "formats/kml.h"
#include "formats/ozi.h"
#include "formats/text_export.h"
#include "formats/tree_to_gpx.h"
#include "fuzz_env.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string gpx = scratchFile("-rt.gpx"), kml = scratchFile("-rt.kml"),
                             plt = scratchFile("-rt.plt"), wpt = scratchFile("-rt.wpt"), txt = scratchFile("-rt.txt");
    std::vector<std::string> fields(1);
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0)
            fields.emplace_back();
        else
            fields.back() += static_cast<char>(data[i]);
    }
    auto field = [&](size_t n) { return n < fields.size() ? fields[n] : std::string("1"); };
    FuzzEnv f;
    core::Document& doc = f.doc;
    doc.AddWaypoint(field(3), field(4), field(5), field(6), field(0), core::Symbol::name(field(1)), field(1), field(2));
    doc.NewRoute(field(0));
    doc.AddRoutepoint(field(4), field(3), field(5), field(6), field(1), core::Symbol::none(), field(2), field(0));
    doc.NewTrack(field(2));
    doc.AddTrackpoint(field(3), field(4), field(5), field(6));
    doc.AddTrackpoint(field(7), field(8), field(9), field(10));
    doc.appendNode(doc.metadata(), "name = " + field(0), core::kAttributeKind);

    formats::SaveOptions all;
    for (int n = 1; n <= 11; ++n) all.fields.push_back(formats::FieldSelectionModel::entryOf(n));
    if (formats::SaveAsGPX(f.env, gpx, all).isDone()) requireReadsBack(gpx, formats::GpxBestandInlezen);
    if (formats::SaveAsKML(f.env, kml, all).isDone()) requireReadsBack(kml, formats::KmlBestandInlezen);
    if (formats::SaveAsPLT(f.env, plt, all).isDone()) requireReadsBack(plt, formats::PltBestandInlezen);
    if (formats::SaveAsWPT(f.env, wpt, all).isDone()) requireReadsBack(wpt, formats::WptBestandInlezen);
    (void)formats::SaveAsTXT(f.env, txt, all);
    for (core::NodeId n = 1; n < doc.store().nodeCount() && n < 64; ++n) {
        if (!doc.alive(n)) continue;
        if (!formats::xml::parseMemory(formats::createXmlFromNode(doc, n, nullptr))) std::abort();
    }
    return 0;
}
