#include "app/localisation.h"

#include <gtest/gtest.h>

#include <set>

#include "app/messages.h"
#include "core/text.h"
#include "host/fake/fake_host.h"
#include "../temp_dir.h"

using namespace app;

namespace {

const std::string kShipped = std::string(PATHKEEP_DATA_DIR) + "/Pathkeep.ini";

std::string textOf(const LanguageTexts& t, const std::string& object, TextRole role, int index = 0) {
    for (const auto& a : t.texts)
        if (object == a.target.object && a.target.role == role && a.target.index == index) return a.text;
    return "<none>";
}

struct Fixture {
    host::FakeHost host;
    MessageTable messages;
    MessageLog log{host.fakeClock};
};

}  // namespace

// The shipped file: every text the program reads exists in every language,
// and English is exactly the built-in text.
TEST(LanguageFile, EveryKeyInEveryLanguage) {
    IniFile ini = IniFile::load(kShipped);
    ASSERT_EQ(LanguageMenu(ini), (std::vector<std::string>{"Nederlands", "English", "Deutsch"}));
    const std::vector<std::string> prefixes = {"nl", "gb", "ge"};
    for (int n = 1; n <= 3; ++n) EXPECT_EQ(ReadLanguage(ini, n).prefix, prefixes[static_cast<size_t>(n - 1)]);
    for (const auto& key : LanguageTextKeys()) {
        for (const auto& p : prefixes) {
            auto v = ini.get(key.section, p + std::to_string(key.number));
            ASSERT_TRUE(v) << key.section << "/" << p << key.number;
            EXPECT_FALSE(v->empty()) << key.section << "/" << p << key.number;
            if (p == "gb") {
                EXPECT_EQ(*v, key.english) << key.section << "/" << key.number;
            }
        }
    }
    for (int i = 0; i < MessageTable::kBuiltInCount; ++i) {
        for (const auto& p : prefixes) {
            auto v = ini.get("Messages", p + std::to_string(i));
            ASSERT_TRUE(v && !v->empty()) << "Messages/" << p << i;
            if (p == "gb") {
                EXPECT_EQ(*v, BuiltInMessage(i)) << i;
            }
        }
    }
    EXPECT_FALSE(ini.get("Messages", "gb57"));  // the table ends where the built-in one does
}

// The other way round: a key in the file that the program never reads is a
// misnumbered translation.
TEST(LanguageFile, NoKeyTheProgramDoesNotRead) {
    IniFile ini = IniFile::load(kShipped);
    std::set<std::pair<std::string, std::string>> known;
    for (const auto& key : LanguageTextKeys())
        for (const char* p : {"nl", "gb", "ge"}) known.insert({key.section, p + std::to_string(key.number)});
    for (const auto& section : ini.sections()) {
        if (section == "Languages" || section == "Messages") continue;
        for (const auto& [key, value] : ini.entries(section))
            EXPECT_TRUE(known.count({section, key})) << section << "/" << key;
    }
}

TEST(LanguageKeys, EachKeyListedOnceWithATarget) {
    std::set<std::pair<std::string, int>> seen;
    for (const auto& key : LanguageTextKeys()) {
        EXPECT_TRUE(seen.insert({key.section, key.number}).second) << key.section << key.number;
        EXPECT_FALSE(key.targets.empty()) << key.section << key.number;
    }
    // 192 counted by hand over the twenty sections, 8 of our own, the 14 of the statistics panel
    // and the map page's caption.
    EXPECT_EQ(seen.size(), 215u);
}

TEST(Localisation, DutchChangesMenuColumnAndMessages) {
    Fixture f;
    LanguageTexts t = Taalinstellen(kShipped, 1, f.messages, f.log);
    EXPECT_EQ(t.language, 1);
    EXPECT_EQ(textOf(t, "Bestand1", TextRole::Caption), "&Bestand");
    EXPECT_EQ(textOf(t, "LV1", TextRole::ColumnCaption, 1), "Breedtegraad");
    EXPECT_EQ(textOf(t, "LV2", TextRole::ColumnCaption, 1), "Breedtegraad");
    EXPECT_EQ(textOf(t, "acOpenen", TextRole::Hint), "Openen");
    EXPECT_EQ(f.messages.GetDialogText(38), "Bestand is gewijzigd, opslaan?");
    ASSERT_EQ(f.log.lines().size(), 1u);
    EXPECT_EQ(f.log.lines()[0], "13:05:09 Select language: 1");

    // Back to English restores message 38 and the captions.
    t = Taalinstellen(kShipped, 2, f.messages, f.log);
    EXPECT_EQ(textOf(t, "Bestand1", TextRole::Caption), "&File");
    EXPECT_EQ(f.messages.GetDialogText(38), "File has been changed, save?");
    t = Taalinstellen(kShipped, 3, f.messages, f.log);
    EXPECT_EQ(f.messages.GetDialogText(38), "Die Datei wurde geändert, speichern?");
    EXPECT_EQ(textOf(t, "cbDataType", TextRole::ListItem, 0), "<überspringen>");
    EXPECT_EQ(textOf(t, "cbDataType", TextRole::ListItem, 3), "Zeit");  // Tab1 key 7
}

TEST(Localisation, WithoutProductFileEverythingIsEnglish) {
    Fixture f;
    TempDir dir;
    std::string missing = dir.file("Pathkeep.ini");
    EXPECT_EQ(LanguageMenu(IniFile::load(missing)), std::vector<std::string>{"lang1"});
    f.messages.replace({"x", "y"});
    LanguageTexts t = Taalinstellen(missing, 2, f.messages, f.log);
    EXPECT_EQ(t.language, 1);  // language 2 is not in a one-entry menu
    EXPECT_EQ(t.prefix, "nl");
    EXPECT_EQ(textOf(t, "Bestand1", TextRole::Caption), "&File");
    EXPECT_EQ(textOf(t, "GarminCommunicatie", TextRole::Caption), "&Gramin communication");
    EXPECT_EQ(textOf(t, "GPXExtensiekoppelen1", TextRole::Caption), "&Registrer GPX Extension");
    EXPECT_EQ(textOf(t, "TabSheet3", TextRole::PageCaption), "NMEA ontvangst");
    EXPECT_EQ(f.messages.entries().size(), 57u);
    EXPECT_EQ(f.messages.GetDialogText(0), "Void");
    EXPECT_EQ(t.availableFields({})[1], "[02] Latitude");
}

// Hand-written product files for the rules of the language section.
TEST(Localisation, LanguageSectionEdges) {
    struct Case {
        const char* name;
        const char* ini;
        int asked;
        int applied;
        const char* prefix;
        const char* file;  // caption of the File menu
    };
    const Case cases[] = {
        {"gb1 translated", "[Languages]\nnumber=2\nprefix1=nl\nprefix2=gb\n[Menus]\ngb1=&Bestand\n", 2, 2, "gb",
         "&Bestand"},
        {"number beyond the menu", "[Languages]\nnumber=3\nprefix1=ge\n[Menus]\nge1=&Datei\n", 7, 1, "ge", "&Datei"},
        {"number zero", "[Languages]\nnumber=3\nprefix1=ge\n", 0, 1, "ge", "&File"},
        {"no prefix key", "[Languages]\nnumber=2\n[Menus]\nnl1=&Bestand\n", 2, 2, "nl", "&Bestand"},
        {"garbled number", "[Languages]\nnumber=two\nprefix1=gb\n", 2, 1, "gb", "&File"},
        {"key case ignored", "[LANGUAGES]\nNUMBER=2\nPREFIX2=gb\n[menus]\nGB1=&Bestand\n", 2, 2, "gb", "&Bestand"},
    };
    for (const auto& c : cases) {
        LanguageTexts t = ReadLanguage(IniFile::fromText(c.ini), c.asked);
        EXPECT_EQ(t.language, c.applied) << c.name;
        EXPECT_EQ(t.prefix, c.prefix) << c.name;
        EXPECT_EQ(textOf(t, "Bestand1", TextRole::Caption), c.file) << c.name;
        EXPECT_EQ(textOf(t, "acOpslaan", TextRole::Caption), "&Save as...") << c.name;  // untranslated
    }
    // The menu: "lang1" stands in for a missing caption; a huge count is capped.
    EXPECT_EQ(LanguageMenu(IniFile::fromText("[Languages]\nnumber=3\nlang1=A\nlang3=C\n")),
              (std::vector<std::string>{"A", "lang1", "C"}));
    EXPECT_EQ(LanguageMenu(IniFile::fromText("[Languages]\nnumber=2000000000\n")).size(),
              static_cast<size_t>(kMaxLanguages));
}

TEST(Localisation, SelecteerTaalStoresTheLanguage) {
    Fixture f;
    int current = 2;
    LanguageTexts t = SelecteerTaal(kShipped, 2, current, f.messages, f.log);  // third entry
    EXPECT_EQ(current, 3);
    EXPECT_EQ(t.language, 3);
    EXPECT_EQ(f.log.lines().back(), "13:05:09 Select language: 3");
}

TEST(Localisation, MessageTableRules) {
    auto messagesOf = [](int count, const char* extra) {
        std::string ini = "[Languages]\nnumber=1\nprefix1=xx\n[Messages]\n";
        for (int i = 0; i < count; ++i) ini += "xx" + std::to_string(i) + "=t" + std::to_string(i) + "\n";
        return ini + extra;
    };
    Fixture f;
    // Nine texts are enough; eight are not.
    f.messages.replace(ReadLanguage(IniFile::fromText(messagesOf(9, "")), 1).messages);
    EXPECT_EQ(f.messages.GetDialogText(8), "t8");
    EXPECT_EQ(f.messages.GetDialogText(9), BuiltInMessage(9));  // past the short table: English
    EXPECT_EQ(f.messages.GetDialogText(38), "File has been changed, save?");
    EXPECT_TRUE(ReadLanguage(IniFile::fromText(messagesOf(8, "")), 1).messages.empty());
    // The table ends at the first missing key; later keys are not read.
    auto gap = ReadLanguage(IniFile::fromText(messagesOf(12, "xx13=late\n")), 1).messages;
    EXPECT_EQ(gap.size(), 12u);
    // "#" turns into a line break when shown.
    f.messages.replace(ReadLanguage(IniFile::fromText(messagesOf(10, "xx10=Eerste#Tweede\n")), 1).messages);
    EXPECT_EQ(f.messages.GetDialogText(10), "Eerste\rTweede");
}

TEST(Localisation, FieldListFollowsTheLanguageAndTheChosenFields) {
    LanguageTexts t = ReadLanguage(IniFile::load(kShipped), 1);
    auto list = t.availableFields({"[02] Latitude", "[11] Description"});
    ASSERT_EQ(list.size(), 9u);
    EXPECT_EQ(list[0], "[01] Nr");
    EXPECT_EQ(list[1], "[03] Lengtegraad");
    EXPECT_EQ(list.back(), "[10] Commentaar");
}

TEST(TranslationExport, SectionsAndLanguageKeysInFileOrder) {
    IniFile ini = IniFile::fromText(
        "[Languages]\nnumber=2\nlang1=Nederlands\nprefix1=nl\nCurrent=9\n"
        "[Menus]\nnl1=&Bestand\nde1=&Datei\ngb1=&File\nNL2=x\nfr3=a;b\n");
    std::string text = TranslationExportText(ini);
    const std::string expected =
        "Add your translation in the appropriate fields\r\n"
        "Please e-mail the completed file to translations@pathkeep.org\r\n"
        "\r\n"
        "[Languages];[Languages];[Languages];\r\n"
        "Languages;number;2;\r\n"
        "Languages;lang1;Nederlands;\r\n"
        "Languages;prefix1;nl;\r\n"
        "\r\n"
        "[Menus];[Menus];[Menus];\r\n"
        "Menus;nl1;&Bestand;\r\n"
        "Menus;gb1;&File;\r\n"
        "Menus;fr3;a;b;\r\n"
        "\r\n";
    EXPECT_EQ(text, expected);
}

TEST(TranslationExport, AsksBeforeOverwriting) {
    Fixture f;
    TempDir dir;
    std::string product = dir.write("Pathkeep.ini", "[Menus]\nnl1=&Bestand\n");
    std::string target = dir.file("translation.csv");

    core::Result r = ExportTextstrings1Click(product, target, f.host.fakePrompts, f.log);
    EXPECT_TRUE(r.isDone());
    EXPECT_NE(readFile(target).find("Menus;nl1;&Bestand;\r\n"), std::string::npos);
    ASSERT_EQ(f.host.fakePrompts.asked.size(), 1u);  // no question for a new file
    EXPECT_EQ(f.host.fakePrompts.asked[0].text, "Save strings to file: " + target);
    EXPECT_EQ(f.log.lines()[0], "13:05:09 Export text strings for translation");

    dir.write("translation.csv", "mine");
    f.host.fakePrompts.answers = {host::Answer::No};
    EXPECT_TRUE(ExportTextstrings1Click(product, target, f.host.fakePrompts, f.log).isCancelled());
    EXPECT_EQ(f.host.fakePrompts.asked[1].text, "The file \"" + target + "\" already exists, overwrite?");
    EXPECT_EQ(readFile(target), "mine");

    f.host.fakePrompts.answers = {host::Answer::Yes};
    EXPECT_TRUE(ExportTextstrings1Click(product, target, f.host.fakePrompts, f.log).isDone());
    EXPECT_NE(readFile(target).find("Menus;nl1;&Bestand;"), std::string::npos);
}

TEST(TranslationExport, UnwritableFolderIsAnErrorNotASuccess) {
    Fixture f;
    TempDir dir;
    std::string target = dir.file("no/such/folder/translation.csv");
    core::Result r = ExportTextstrings1Click(dir.file("Pathkeep.ini"), target, f.host.fakePrompts, f.log);
    EXPECT_TRUE(r.isFailed());
    ASSERT_EQ(f.host.fakePrompts.asked.size(), 1u);
    EXPECT_EQ(f.host.fakePrompts.asked[0].severity, host::Severity::Error);
}

// Within one menu no two Dutch or German entries share an access key (the
// English texts are the program's own and keep theirs).
TEST(LanguageFile, TranslatedMenusHaveDistinctAccessKeys) {
    const std::vector<std::vector<int>> menus = {
        {1, 7, 12, 19, 21}, {2, 3, 4, 5, 6}, {8, 9, 10, 11, 16}, {13, 14, 15}, {20, 17, 18, 26, 27}, {22, 23, 24, 25}};
    IniFile ini = IniFile::load(kShipped);
    for (const char* prefix : {"nl", "ge"})
        for (const auto& menu : menus) {
            std::set<std::string> keys;
            for (int n : menu) {
                std::string text = ini.readString("Menus", prefix + std::to_string(n), "");
                size_t amp = text.find('&');
                if (amp == std::string::npos || amp + 1 >= text.size()) continue;
                // The key is one character, possibly a two-byte UTF-8 letter.
                std::string key = text.substr(amp + 1, (text[amp + 1] & 0x80) ? 2 : 1);
                EXPECT_TRUE(keys.insert(core::AsciiLower(key)).second) << prefix << n << " " << text;
            }
        }
}
