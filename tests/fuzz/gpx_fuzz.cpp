// GPX reader and writer: any input is read from memory without a crash, and
// what is then written parses again and reads back.

#include "formats/gpx.h"
#include "fuzz_env.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string out = scratchFile("-out.gpx");
    FuzzEnv f;
    (void)formats::ReadGpxText(f.env, std::string_view(reinterpret_cast<const char*>(data), size));
    f.doc.setFocused(f.doc.firstChild(f.doc.trackpoints()));
    formats::SaveOptions options;
    options.selectionOnly = size % 2 == 1;
    if (formats::SaveAsGPX(f.env, out, options).isDone()) requireReadsBack(out, formats::GpxBestandInlezen);
    return 0;
}
