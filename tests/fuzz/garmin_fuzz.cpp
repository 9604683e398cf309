// Garmin framing and record decoding: any bytes from a receiver go through
// the frame reader, the link (ACKs, NAKs) and the session (translations,
// collecting, adding complete transfers to the document) without a crash,
// a leak or a read past a packet. The first byte picks the reported
// waypoint layout; a tick runs after every byte equal to 0xFF.

#include "fuzz_env.h"
#include "garmin/records.h"
#include "garmin/session.h"
#include "garmin/translate.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // One environment for all inputs: setting it up costs more than a run.
    static FuzzEnv f;
    // A fresh tree costs a big memory block, so the tree is only emptied
    // once it has grown.
    if (f.doc.trackPointCount() + f.doc.childCount(f.doc.waypoints()) + f.doc.childCount(f.doc.routes()) > 100000)
        f.doc.initTree();
    garmin::Session::Hooks hooks;
    hooks.isOpen = [] { return true; };
    hooks.open = [] { return true; };
    hooks.send = [](const garmin::Bytes&) {};
    hooks.log = [](const std::string&) {};
    hooks.message = [](int) { return std::string(); };
    garmin::Session session(garmin::DocumentAccess{f.doc, f.symbols, f.host.fakeClock,
                                                   [] { return f.env.loader(); }},
                            f.host.fakeLocale, std::move(hooks));
    session.explain = true;
    const char* waypointLayout = size > 0 && (data[0] & 1) ? "D109" : "D108";
    garmin::Packet array = garmin::EncodeProtocolArray(
        {"A010", "A011", waypointLayout, "D200", "D201", "D202", "D210", "D301", "D310"});
    session.AnalyzePacket('>', array);
    session.appendCommand("get trackpoints");
    session.appendCommand("get waypoints");
    for (size_t i = 0; i < size; ++i) {
        session.Receive(data + i, 1);
        if (data[i] == 0xFF) session.Timer1Timer();
    }
    // The decoders straight on the raw input as one packet's data.
    garmin::Packet raw{size > 0 ? data[0] : std::uint8_t(0),
                       garmin::Bytes(data + (size > 0 ? 1 : 0), data + std::min<size_t>(size, 256))};
    garmin::DecodeWaypoint(raw, garmin::WaypointLayout::D109);
    garmin::DecodeProductData(raw);
    garmin::TranslatePacket(raw, {session.protocolList, 1, 1, 1, f.host.fakeLocale, f.host.fakeClock});
    return 0;
}
