#pragma once
// Languages: the Language menu, the texts of one language for every caption,
// hint, list item and column caption, the message table of that language, and
// the export of all language keys for translators.
//
// A language's text is the key made of its prefix and the text's number, in
// the section of the window or page the text belongs to ("gb1" in "Menus" is
// the File menu in English). A missing key shows the built-in English text.

#include <string>
#include <vector>

#include "app/ini.h"
#include "core/result.h"

namespace host {
class Prompts;
}

namespace app {

class MessageLog;
class MessageTable;

// Where a text goes. Widgets are found by object name inside their window.
enum class TextRole {
    Caption,        // menu entry, action, button, label, check box, group box
    Hint,           // tool tip
    WindowTitle,    // the window's own caption
    PageCaption,    // the tab of a page in a page control
    ListItem,       // entry `index` of a combo box or list
    ColumnCaption,  // header of column `index` of a list view
};

struct TextTarget {
    const char* window;  // object name of the window: "MainForm", "TfmSave", ...
    const char* object;  // object name of the control inside it
    TextRole role;
    int index = 0;  // ListItem, ColumnCaption
};

// One text the program reads from the language file.
struct TextKey {
    const char* section;
    int number;
    const char* english;
    std::vector<TextTarget> targets;
};

// Every (section, number) the program reads, each once, with its targets.
const std::vector<TextKey>& LanguageTextKeys();

constexpr int kFieldCount = 11;       // the text export's fields "[01]" .. "[11]"
constexpr int kMaxLanguages = 99;     // a garbled "number" cannot flood the menu
constexpr int kMaxMessages = 10000;   // nor a runaway message section the table
constexpr int kMinMessages = 10;      // fewer (with the closing empty one): use English

struct AppliedText {
    TextTarget target;
    std::string text;
};

// Everything one language changes.
struct LanguageTexts {
    int language = 1;         // 1-based, the Language menu entry that is checked
    std::string prefix;       // "gb"
    std::vector<AppliedText> texts;
    std::vector<std::string> fieldCaptions;  // kFieldCount captions of "[01]" .. "[11]"
    std::vector<std::string> messages;       // empty: the built-in English table

    std::vector<AppliedText> forWindow(const std::string& window) const;
    // The field selection's available list: "[", two digits, "] " and the
    // caption, for every field whose "[nn]" is not among the chosen entries.
    std::vector<std::string> availableFields(const std::vector<std::string>& chosen) const;
};

// The Language menu's captions, from "number" and "lang1" .. in "Languages".
std::vector<std::string> LanguageMenu(const IniFile& product);

// The texts of language n, read from the product settings file. A number
// outside the menu falls back to language 1.
LanguageTexts ReadLanguage(const IniFile& product, int n);

// `Taalinstellen`: reads the product settings file again, logs the choice,
// replaces the message table and returns the texts for the widgets. The
// returned language is the one applied (1 when n was outside the menu).
LanguageTexts Taalinstellen(const std::string& productSettingsPath, int n, MessageTable& messages,
                            MessageLog& log);

// `SelecteerTaal`: the Language menu entry at `menuPosition` (0-based) was
// chosen; stores the language as the current one and applies it.
LanguageTexts SelecteerTaal(const std::string& productSettingsPath, int menuPosition, int& currentLanguage,
                            MessageTable& messages, MessageLog& log);

// "&Export application text strings for translation": every language key of
// the product settings file to a semicolon-separated file for translators.
constexpr const char* kTranslationAddress = "translations@pathkeep.org";
core::Result ExportTextstrings1Click(const std::string& productSettingsPath, const std::string& exportPath,
                                     host::Prompts& prompts, MessageLog& log);
// The file's text, lines ending in CR LF.
std::string TranslationExportText(const IniFile& product);

}  // namespace app
