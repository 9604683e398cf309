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
    formats::PltBestandInlezen(f.env, in);
    if (formats::SaveAsPLT(f.env, out, false).ok) formats::PltBestandInlezen(f.env, out);
#elif LEGACY_READER == 2
    formats::WptBestandInlezen(f.env, in);
    if (formats::SaveAsWPT(f.env, out, false).ok) formats::WptBestandInlezen(f.env, out);
#elif LEGACY_READER == 3
    formats::PathkeepBestandInlezen(f.env, in);
#elif LEGACY_READER == 4
    formats::EasyGpsBestandInlezen(f.env, in);
#elif LEGACY_READER == 5
    // The first bytes play the user in the wizard: separator, then column types.
    f.host.fakePrompts.dialogResults = {true};
    f.host.fakePrompts.fillDialog = [data, size](host::DialogModel& m) {
        auto& w = dynamic_cast<formats::ImportWizardModel&>(m);
        const char separators[] = {'\t', ';', ','};
        w.separator = separators[size > 0 ? data[0] % 3 : 0];
        w.next();
        for (size_t k = 0; k < w.columnTypes.size() && k + 1 < size; ++k) w.columnTypes[k] = data[k + 1] % formats::kCsvTypeCount;
        w.finish();
    };
    formats::CsvBestandInlezen(f.env, in);
#elif LEGACY_READER == 6
    formats::RouteConversion r = formats::ConvertRouteFile(in);
    if (r.status == formats::RouteConversion::Status::Done) requireWellFormed(r.outputPath);
#endif
    return 0;
}
