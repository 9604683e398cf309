// GPX reader and writer: any input is read without a crash, and what is
// then written parses again.

#include "formats/gpx.h"
#include "fuzz_env.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string in = scratchFile(".gpx"), out = scratchFile("-out.gpx");
    writeScratch(in, data, size);
    FuzzEnv f;
    (void)formats::GpxBestandInlezen(f.env, in);
    f.doc.setFocused(f.doc.firstChild(f.doc.trackpoints()));
    formats::SaveOptions options;
    options.selectionOnly = size % 2 == 1;
    if (formats::SaveAsGPX(f.env, out, options).isDone()) requireWellFormed(out);
    return 0;
}
