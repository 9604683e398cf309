// The NMEA log reader over any bytes, from memory: no crash, no leak, no
// read past a line; every point it adds lies on the globe. The first byte
// chooses the talkers.

#include <cmath>
#include <cstdlib>

#include "core/fn.h"
#include "formats/nmea_log.h"
#include "fuzz_env.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
    static FuzzEnv f;  // made once: a document is costly to set up under the sanitizers
    f.doc.initTree();
    core::Result r = formats::NmeaLogInlezen(f.env, text, formats::NmeaLogOptions{(data[0] & 1) != 0});
    if (!r.isDone()) std::abort();
    core::NodeId track = f.doc.firstChild(f.doc.trackpoints());
    if (track == core::kNoNode) return 0;
    core::NodeId seg = f.doc.segmentOf(track);
    for (core::NodeId pt = f.doc.firstChild(seg); pt != core::kNoNode; pt = f.doc.nextSibling(pt)) {
        // "lat = ..." and "lon = ...": degrees and minutes of at most 3 + 2 digits.
        long double lat = core::StrToFloatAny(f.doc.getText(f.doc.firstChild(pt)).substr(6));
        long double lon = core::StrToFloatAny(f.doc.getText(f.doc.nextSibling(f.doc.firstChild(pt))).substr(6));
        if (!std::isfinite(lat) || !std::isfinite(lon) || std::fabs(lat) > 100 + 100.0L / 60 ||
            std::fabs(lon) > 1000 + 100.0L / 60)
            std::abort();
    }
    return 0;
}
