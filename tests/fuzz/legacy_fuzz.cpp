// The legacy text readers (chosen by LEGACY_READER at build time): any bytes
// are read from memory without a crash or a leak; what the OziExplorer
// writers then make of the document reads again.

#include "formats/csv_import.h"
#include "formats/legacy_text.h"
#include "formats/ozi.h"
#include "formats/text_codec.h"
#include "fuzz_env.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string out = scratchFile(".out");
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    FuzzEnv f;
    formats::SaveOptions all;
#if LEGACY_READER == 1
    (void)formats::ReadPltText(f.env, bytes);
    if (formats::SaveAsPLT(f.env, out, all).isDone()) requireReadsBack(out, formats::PltBestandInlezen);
#elif LEGACY_READER == 2
    (void)formats::ReadWptText(f.env, bytes);
    if (formats::SaveAsWPT(f.env, out, all).isDone()) requireReadsBack(out, formats::WptBestandInlezen);
#elif LEGACY_READER == 3
    (void)formats::ReadPathkeepText(f.env, bytes);
#elif LEGACY_READER == 4
    (void)formats::ReadEasyGpsText(f.env, bytes);
#elif LEGACY_READER == 5
    // The first bytes play the user in the wizard: separator, then column types.
    if (size == 0) return 0;
    std::string text = formats::DecodeLegacyText(bytes.substr(1));
    formats::ImportWizardModel w;
    w.preview = text;
    w.initForm();
    const char separators[] = {'\t', ';', ','};
    w.separator = separators[data[0] % 3];
    w.next();
    for (size_t k = 0; k < w.columnTypes.size() && k + 1 < size; ++k)
        w.columnTypes[k] = data[k + 1] % formats::kCsvTypeCount;
    (void)formats::CsvBestandInlezen(f.env, text, w.storeSettings());
    if (formats::SaveAsPLT(f.env, out, all).isDone()) requireReadsBack(out, formats::PltBestandInlezen);
#elif LEGACY_READER == 6
    // The route conversion writes beside its input: a scratch file it is.
    static const std::string in = scratchFile(".rte");
    writeScratch(in, data, size);
    formats::RouteConversion r = formats::ConvertRouteFile(in);
    if (r.status == formats::RouteConversion::Status::Done) requireWellFormed(r.outputPath);
#endif
    return 0;
}
