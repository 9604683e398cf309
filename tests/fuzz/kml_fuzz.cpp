// KML reader and writer: any input is read from memory without a crash, and
// what is then written parses again and reads back.

#include "formats/kml.h"
#include "fuzz_env.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string out = scratchFile("-out.kml");
    FuzzEnv f;
    (void)formats::ReadKmlText(f.env, std::string_view(reinterpret_cast<const char*>(data), size));
    if (formats::SaveAsKML(f.env, out, formats::SaveOptions{}).isDone())
        requireReadsBack(out, formats::KmlBestandInlezen);
    return 0;
}
