// The legacy text readers (chosen by LEGACY_READER at build time): any bytes
// are read without a crash or a leak; what the OziExplorer writers then make
// of the document reads again.

#include "formats/csv_import.h"
#include "formats/legacy_text.h"
#include "formats/ozi.h"
#include "fuzz_env.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string in = scratchFile(".in"), out = scratchFile(".out");
    writeScratch(in, data, size);
    FuzzEnv f;
#if LEGACY_READER == 1
    (void)formats::PltBestandInlezen(f.env, in);
    if (formats::SaveAsPLT(f.env, out, formats::SaveOptions{}).isDone()) (void)formats::PltBestandInlezen(f.env, out);
#elif LEGACY_READER == 2
    (void)formats::WptBestandInlezen(f.env, in);
    if (formats::SaveAsWPT(f.env, out, formats::SaveOptions{}).isDone()) (void)formats::WptBestandInlezen(f.env, out);
#elif LEGACY_READER == 3
    (void)formats::PathkeepBestandInlezen(f.env, in);
#elif LEGACY_READER == 4
    (void)formats::EasyGpsBestandInlezen(f.env, in);
#elif LEGACY_READER == 5
    // The first bytes choose the separator and the column types.
    formats::ImportWizardModel w;
    const char separators[] = {'\t', ';', ','};
    std::string text;
    if (!formats::ReadCsvText(in, text).isDone()) return 0;
    w.preview = text;
    w.separator = separators[size > 0 ? data[0] % 3 : 0];
    w.next();
    for (size_t k = 0; k < w.columnTypes.size() && k + 1 < size; ++k) w.columnTypes[k] = data[k + 1] % 5;
    (void)formats::CsvBestandInlezen(f.env, text, w.storeSettings());
#elif LEGACY_READER == 6
    formats::RouteConversion r = formats::ConvertRouteFile(in);
    if (r.status == formats::RouteConversion::Status::Done) requireWellFormed(r.outputPath);
#endif
    return 0;
}
