// KML reader and writer: any input is read without a crash, and what is
// then written parses again.

#include "formats/kml.h"
#include "fuzz_env.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string in = scratchFile(".kml"), out = scratchFile("-out.kml");
    writeScratch(in, data, size);
    FuzzEnv f;
    (void)formats::KmlBestandInlezen(f.env, in);
    if (formats::SaveAsKML(f.env, out, formats::SaveOptions{}).isDone()) requireWellFormed(out);
    return 0;
}
