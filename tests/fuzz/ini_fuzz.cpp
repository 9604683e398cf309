// INI text from outside: the downloaded version file and edited language
// files. Any bytes give a language (with its texts, field list and message
// table), a Language menu and a translators' export without a crash.

#include <string>

#include "app/install.h"
#include "app/localisation.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    app::IniFile ini = app::IniFile::fromText(std::string(reinterpret_cast<const char*>(data), size));
    for (int n : {0, 2}) {  // one out of range, one in
        app::LanguageTexts t = app::ReadLanguage(ini, n);
        if (t.language < 1 || t.fieldCaptions.size() != app::kFieldCount) __builtin_trap();
        (void)t.availableFields({"[02] x"});
    }
    (void)app::LanguageMenu(ini);
    (void)app::TranslationExportText(ini);
    (void)app::IsNewerVersion(ini.readString("General", "currentversion", ""), "4.03");
    return 0;
}
