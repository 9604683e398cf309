#include "app/localisation.h"

#include <algorithm>
#include <filesystem>
#include <unordered_map>

#include "app/messages.h"
#include "core/fn.h"
#include "core/text.h"
#include "formats/atomic_file.h"
#include "host/host.h"

namespace app {

namespace {

constexpr auto C = TextRole::Caption;
constexpr auto H = TextRole::Hint;
constexpr auto W = TextRole::WindowTitle;
constexpr auto P = TextRole::PageCaption;
constexpr auto L = TextRole::ListItem;
constexpr auto K = TextRole::ColumnCaption;

constexpr const char* kMain = "MainForm";
constexpr const char* kSelectField = "TfmSelectField";
constexpr const char* kPointEditor = "TPointEditor";
constexpr const char* kLocator = "LocatorForm";
constexpr const char* kOcr = "OcrForm";
constexpr const char* kSettings = "TfmSettings";
constexpr const char* kSave = "TfmSave";
constexpr const char* kNmeaLog = "TfmNmeaLogFile";
constexpr const char* kWizard = "TfrmImportWizzard";

// A column of both list views, LV1 and LV2.
std::vector<TextTarget> column(int index) { return {{kMain, "LV1", K, index}, {kMain, "LV2", K, index}}; }

// The table the whole program reads. Section and number name the key; the
// English text is what shows without a language file.
std::vector<TextKey> buildKeys() {
    std::vector<TextKey> keys = {
        // Main menu.
        {"Menus", 1, "&File", {{kMain, "Bestand1", C}}},
        {"Menus", 2, "&Open...", {{kMain, "acOpenen", C}}},
        {"Menus", 3, "&Save as...", {{kMain, "acOpslaan", C}}},
        {"Menus", 4, "&Close", {{kMain, "Sluiten1", C}}},
        {"Menus", 5, "&Logging", {{kMain, "Startloggen1", C}}},
        {"Menus", 6, "&Exit", {{kMain, "Afsluiten1", C}}},
        {"Menus", 7, "&Edit", {{kMain, "Wijzigen1", C}}},
        {"Menus", 8, "&Cut", {{kMain, "Knippen1", C}}},
        {"Menus", 9, "C&opy", {{kMain, "Kopieren1", C}}},
        {"Menus", 10, "&Paste", {{kMain, "Plakken1", C}}},
        {"Menus", 11, "Select &all", {{kMain, "Allesselecteren1", C}}},
        {"Menus", 12, "&Communication", {{kMain, "Communicatie1", C}}},
        {"Menus", 13, "Port &closed", {{kMain, "Gesloten1", C}}},
        {"Menus", 14, "Port &open", {{kMain, "Openen2", C}}},
        {"Menus", 15, "&Settings", {{kMain, "Instellingen2", C}}},
        {"Menus", 16, "&Reverse track", {{kMain, "Trackomkeren1", C}}},
        {"Menus", 17, "&Language", {{kMain, "Taal1", C}}},
        {"Menus", 18, "&Registrer GPX Extension", {{kMain, "GPXExtensiekoppelen1", C}}},
        {"Menus", 19, "&Extra", {{kMain, "Extra1", C}}},
        {"Menus", 20, "&Gramin communication", {{kMain, "GarminCommunicatie", C}}},
        {"Menus", 21, "&Help", {{kMain, "Help1", C}}},
        {"Menus", 22, "&Readme file", {{kMain, "Readmefile1", C}}},
        {"Menus", 23, "&Pathkeep Homepage", {{kMain, "PathkeepHomepage1", C}}},
        {"Menus", 24, "&Check for updates", {{kMain, "mCheckUpdates", C}}},
        {"Menus", 25, "About...", {{kMain, "Info2", C}}},
        {"Menus", 26, "&Export application text strings for translation", {{kMain, "ExportTextstrings1", C}}},
        {"Menus", 27, "&NMEA log file functions...", {{kMain, "NMEAlogfile1", C}}},
        {"Menus", 28, "&Undo", {{kMain, "Ongedaan1", C}}},
        {"Menus", 29, "&Redo", {{kMain, "Opnieuw1", C}}},
        // Context menu of the document tree.
        {"Popup2", 1, "Edit list of points", {{kMain, "mShowPoints", C}}},
        {"Popup2", 2, "Edit point", {{kMain, "mEditPoint", C}}},
        {"Popup2", 3, "Cut", {{kMain, "mCut", C}}},
        {"Popup2", 4, "Copy", {{kMain, "mCopy", C}}},
        {"Popup2", 5, "Paste", {{kMain, "mPaste", C}}},
        {"Popup2", 6, "Plot points", {{kMain, "mPlotPoints", C}}},
        {"Popup2", 7, "Plot time/way diagram", {{kMain, "mPlotTimeWay", C}}},
        {"Popup2", 8, "Plot time/height diagram", {{kMain, "mPlotTimeHeight", C}}},
        {"Popup2", 9, "Add to Waypoints", {{kMain, "mAddToWaypoints", C}}},
        {"Popup2", 10, "New track", {{kMain, "mNewTrack", C}}},
        {"Popup2", 11, "New route", {{kMain, "mNewRoute", C}}},
        {"Popup2", 12, "Plot time/speed diagram", {{kMain, "mPlotTimeSpeed", C}}},
        {"Popup2", 13, "Save points as...", {{kMain, "mSaveTrack", C}}},
        // Tool bar hints.
        {"Tooltips", 1, "Open", {{kMain, "acOpenen", H}}},
        {"Tooltips", 2, "Save", {{kMain, "acOpslaan", H}}},
        {"Tooltips", 3, "Transmit to Garmin", {{kMain, "acVerzenden", H}}},
        {"Tooltips", 4, "Receive from Garmin", {{kMain, "acOntvangen", H}}},
        {"Tooltips", 5, "Calculate distance", {{kMain, "btSum", H}}},
        {"Tooltips", 6, "Show in Google Earth", {{kMain, "btGoogle", H}}},
        // Points page and the eleven list columns.
        {"Tab1", 0, "Points", {{kMain, "TabSheet1", P}}},
        {"Tab1", 1, "Nr", column(0)},
        {"Tab1", 2, "Latitude", column(1)},
        {"Tab1", 3, "Longitude", column(2)},
        {"Tab1", 4, "Altitude (m)", column(3)},
        {"Tab1", 5, "Date/Time", column(4)},
        {"Tab1", 6, "Date", column(5)},
        {"Tab1", 7, "Time", column(6)},
        {"Tab1", 8, "Name", column(7)},
        {"Tab1", 9, "Symbol", column(8)},
        {"Tab1", 10, "Comment", column(9)},
        {"Tab1", 11, "Description", column(10)},
        {"Tab1", 12, "OK", {{kMain, "btOK", C}}},
        {"Tab1", 13, "Cancel", {{kMain, "btCancel", C}}},
        // Field selection of the text export.
        {"fmSelectField", 1, "Select field", {{kSelectField, kSelectField, W}}},
        {"fmSelectField", 2, "Select field", {{kSelectField, "GroupBox1", C}}},
        {"fmSelectField", 3, "Fields", {{kSelectField, "Label1", C}}},
        {"fmSelectField", 4, "Field names", {{kSelectField, "Label2", C}}},
        {"fmSelectField", 5, "Save as default", {{kSelectField, "SaveAsDefault", C}}},
        // Context menu of the lists.
        {"Popup1", 1, "&Edit", {{kMain, "Bewerken1", C}}},
        {"Popup1", 2, "&Calculate distance", {{kMain, "Berekenafstand1", C}}},
        {"Popup1", 3, "&Move to closest point", {{kMain, "Verplaatsnaardichtsbijzijnde1", C}}},
        {"Popup1", 4, "&Use time as point name", {{kMain, "Gebruiktijdalspuntnaam1", C}}},
        {"Popup1", 5, "C&opy to tree", {{kMain, "KopieerNaarBoom", C}}},
        {"Tab8", 0, "Waypoints", {{kMain, "TabSheet2", P}}},
        // NMEA reception page.
        {"Tab2", 0, "NMEA ontvangst", {{kMain, "TabSheet3", P}}},
        {"Tab2", 1, "NMEA reception", {{kMain, "gbReception", C}}},
        {"Tab2", 2, "Status:", {{kMain, "lbReceptionStatus", C}}},
        {"Tab2", 3, "Longitude:", {{kMain, "lbReceptionLongitude", C}}},
        {"Tab2", 4, "Latitude:", {{kMain, "lbReceptionLatitude", C}}},
        {"Tab2", 5, "Speed:", {{kMain, "lbReceptionSpeed", C}}},
        {"Tab2", 6, "Declination:", {{kMain, "lbReceptionDeclination", C}}},
        {"Tab2", 7, "Altitude:", {{kMain, "lbReceptionAltitude", C}}},
        {"Tab2", 8, "Direction:", {{kMain, "lbReceptionDirection", C}}},
        {"Tab2", 9, "Time:", {{kMain, "lbReceptionTime", C}}},
        {"Tab2", 10, "Nr of sat:", {{kMain, "lbReceptionSatCount", C}}},
        {"Tab2", 11, "Communication", {{kMain, "gbCommunication", C}}},
        {"Tab2", 12, "TxD Channel 1", {{kMain, "lbTxD1", C}}},
        {"Tab2", 13, "RxD Channel 1", {{kMain, "lbRxD1", C}}},
        {"Tab2", 15, "Satellites", {{kMain, "gbSatellites", C}}},
        // NMEA simulation page.
        {"Tab3", 0, "NMEA simulation", {{kMain, "TabSheet4", P}}},
        {"Tab3", 1, "Transmit tracklog as NMEA", {{kMain, "gbSimulation", C}}},
        {"Tab3", 2, "Start simulation", {{kMain, "btPlayPoints", C}}},
        {"Tab3", 3, "Interval time:", {{kMain, "lbInterval", C}}},
        {"Tab3", 4, "Automatic repeat", {{kMain, "cbRepeat", C}}},
        {"Tab3", 5, "Status:", {{kMain, "lbSimulationStatus", C}}},
        {"Tab3", 6, "Transmitted:", {{kMain, "lbTransmitted", C}}},
        {"Tab3", 7, "Create NMEA file on the basis of selected tracklog", {{kMain, "gbMakeNmea", C}}},
        {"Tab3", 8, "Driving speed:", {{kMain, "lbDrivingSpeed", C}}},
        {"Tab3", 9, "Time interval NMEA messages:", {{kMain, "lbNmeaInterval", C}}},
        {"Tab3", 10, "Create NMEA logfile", {{kMain, "btMaakNMEA", C}}},
        {"Tab3", 11, "Tracklog:", {{kMain, "lbTracklog", C}}},
        {"Tab3", 12, "Orginal time/date", {{kMain, "RadioButton2", C}}},
        {"Tab3", 13, "Start from following:", {{kMain, "RadioButton3", C}}},
        {"Tab3", 14, "Time:", {{kMain, "lbStartTime", C}}},
        {"Tab3", 15, "Date (ddmmyyyy):", {{kMain, "lbStartDate", C}}},
        {"Tab3", 16, "Current time/date", {{kMain, "RadioButton4", C}}},
        {"Tab3", 17, "Distance:", {{kMain, "lbSimulationDistance", C}}},
        {"Tab3", 18, "Given speed", {{kMain, "RadioButton5", C}}},
        {"Tab3", 19, "Latitude:", {{kMain, "lbSimulationLatitude", C}}},
        {"Tab3", 20, "Longitude:", {{kMain, "lbSimulationLongitude", C}}},
        {"Tab3", 21, "Direction:", {{kMain, "lbSimulationDirection", C}}},
        {"Tab4", 0, "Message log", {{kMain, "TabSheet5", P}}},
        // Conversion page.
        {"Tab5", 0, "Conversion", {{kMain, "TabSheet6", P}}},
        {"Tab5", 1, "Degrees (decimal)", {{kMain, "gbDecimal", C}}},
        {"Tab5", 2, "Latitude:", {{kMain, "lbConversionLatitude", C}}},
        {"Tab5", 3, "Longitude:", {{kMain, "lbConversionLongitude", C}}},
        {"Tab5", 4, "Degrees, Minutes, Sec, Heading", {{kMain, "gbDms", C}}},
        {"Tab5", 5, "Degrees, Minutes.m", {{kMain, "gbDecimalMinutes", C}}},
        {"Tab5", 7, "Transmit as RMC message", {{kMain, "Button4", C}}},
        {"Tab5", 8, "Ozi Route file (rte) ==> EasyGPS file (gpx)", {{kMain, "Button6", C}}},
        {"Tab5", 9, "Conversion of Degree formats", {{kMain, "GroupBox2", C}}},
        // Route planner page.
        {"Tab6", 0, "Route planner", {{kMain, "TabSheet7", P}}},
        {"Tab6", 1, "Start AutoRoute capture", {{kMain, "Button22", C}}},
        {"Tab6", 2, "Start Route66 capture", {{kMain, "Button11", C}}},
        {"Tab6", 3, "The collected points are added as new track.", {{kMain, "lbCaptureNote", C}}},
        // Point plot page.
        {"Tab7", 0, "Plotting points", {{kMain, "TabSheet8", P}}},
        {"Tab7", 3, "maximum height (in meters):", {{kMain, "lbMaxHeight", C}}},
        {"Tab7", 5, "Connect points", {{kMain, "cbConnect", C}}},
        {"Tab7", 6, "Plot slowly", {{kMain, "cbSlow", C}}},
        {"Tab7", 7, "Print names", {{kMain, "cbShowNames", C}}},
        {"Tab7", 8, "Save image", {{kMain, "SpeedButton18", C}}},
        {"Tab7", 9, "Print altitude", {{kMain, "cbShowHeight", C}}},
        {"Tab7", 11, "Altitude in colors", {{kMain, "cbHeightColor", C}}},
        // Map page.
        {"Map", 0, "Map", {{kMain, "TabSheet9", P}}},
        // Statistics panel under the tree.
        {"TrackStats", 1, "Statistics", {{kMain, "gbTrackStats", C}}},
        {"TrackStats", 2, "Points:", {{kMain, "lbStatsPoints", C}}},
        {"TrackStats", 3, "Length:", {{kMain, "lbStatsLength", C}}},
        {"TrackStats", 4, "Duration:", {{kMain, "lbStatsDuration", C}}},
        {"TrackStats", 5, "Moving time:", {{kMain, "lbStatsMoving", C}}},
        {"TrackStats", 6, "Average speed:", {{kMain, "lbStatsAverage", C}}},
        {"TrackStats", 7, "Moving average:", {{kMain, "lbStatsMovingAverage", C}}},
        {"TrackStats", 8, "Maximum speed:", {{kMain, "lbStatsMaximum", C}}},
        {"TrackStats", 9, "Ascent:", {{kMain, "lbStatsAscent", C}}},
        {"TrackStats", 10, "Descent:", {{kMain, "lbStatsDescent", C}}},
        {"TrackStats", 11, "Lowest:", {{kMain, "lbStatsLowest", C}}},
        {"TrackStats", 12, "Highest:", {{kMain, "lbStatsHighest", C}}},
        {"TrackStats", 13, "Start:", {{kMain, "lbStatsStart", C}}},
        {"TrackStats", 14, "End:", {{kMain, "lbStatsEnd", C}}},
        // Point editor.
        {"PointEditor", 1, "Point editor", {{kPointEditor, kPointEditor, W}}},
        {"PointEditor", 2, "Description:", {{kPointEditor, "lbDescription", C}}},
        {"PointEditor", 3, "Name:", {{kPointEditor, "lbName", C}}},
        {"PointEditor", 4, "Latitude:", {{kPointEditor, "lbLatitude", C}}},
        {"PointEditor", 5, "Longitude:", {{kPointEditor, "lbLongitude", C}}},
        {"PointEditor", 6, "Altitude:", {{kPointEditor, "lbAltitude", C}}},
        {"PointEditor", 7, "Date/time:", {{kPointEditor, "lbDateTime", C}}},
        {"PointEditor", 8, "Date:", {{kPointEditor, "lbDate", C}}},
        {"PointEditor", 9, "Time:", {{kPointEditor, "lbTime", C}}},
        {"PointEditor", 10, "Cancel", {{kPointEditor, "btCancel", C}}},
        {"PointEditor", 11, "OK", {{kPointEditor, "btOK", C}}},
        {"PointEditor", 12, "Comment:", {{kPointEditor, "lbComment", C}}},
        {"PointEditor", 13, "Symbol:", {{kPointEditor, "lbSymbol", C}}},
        // AutoRoute capture.
        {"LocatorForm", 2, "Captured co-ordinates", {{kLocator, "Label5", C}}},
        {"LocatorForm", 3, "Transmit as NMEA RMC", {{kLocator, "CheckBox1", C}}},
        {"LocatorForm", 4, "Ready", {{kLocator, "BitBtn1", C}}},
        {"LocatorForm", 5, "Erase last point", {{kLocator, "SpeedButton1", C}}},
        {"LocatorForm", 6, "Erase all", {{kLocator, "SpeedButton2", C}}},
        {"LocatorForm", 7, "Create Pushpins", {{kLocator, "CheckBox2", C}}},
        // Route 66 capture.
        {"OcrForm", 1, "Route 66 version:", {{kOcr, "rgVersion", C}}},
        {"OcrForm", 2, "Version 2002", {{kOcr, "RadioButton1", C}}},
        {"OcrForm", 3, "Version 2004", {{kOcr, "RadioButton2", C}}},
        {"OcrForm", 4, "OCR Result:", {{kOcr, "lbOcrResult", C}}},
        {"OcrForm", 5, "Captured co-ordinates", {{kOcr, "lbCaptured", C}}},
        {"OcrForm", 6, "Ready", {{kOcr, "btReady", C}}},
        // Communication settings: the two channel groups share their labels.
        {"fmSettings", 1, "Garmin mode", {{kSettings, "GroupBox1", C}}},
        {"fmSettings", 2, "NMEA mode", {{kSettings, "GroupBox2", C}}},
        {"fmSettings", 3, "Port:", {{kSettings, "lbPortText1", C}, {kSettings, "lbPortText2", C}}},
        {"fmSettings", 4, "Speed:", {{kSettings, "lbSpeedText1", C}, {kSettings, "lbSpeedText2", C}}},
        {"fmSettings", 5, "Data bits:", {{kSettings, "lbBitsText1", C}, {kSettings, "lbBitsText2", C}}},
        {"fmSettings", 6, "Parity:", {{kSettings, "lbParityText1", C}, {kSettings, "lbParityText2", C}}},
        {"fmSettings", 7, "Stop bits:", {{kSettings, "lbStopText1", C}, {kSettings, "lbStopText2", C}}},
        {"fmSettings", 8, "Socket", {{kSettings, "CheckBox1", C}, {kSettings, "CheckBox2", C}}},
        {"fmSettings", 9, "IP address:", {{kSettings, "lbAddressText1", C}, {kSettings, "lbAddressText2", C}}},
        {"fmSettings", 10, "port number:",
         {{kSettings, "lbIpPortText1", C}, {kSettings, "lbIpPortText2", C}, {kSettings, "lbIpPortTextS", C}}},
        {"fmSettings", 11, "Server socket", {{kSettings, "GroupBox3", C}}},
        {"fmSettings", 12, "Enable port listener", {{kSettings, "CheckBox3", C}}},
        {"fmSettings", 13, "Listen on all interfaces", {{kSettings, "cbListenAll", C}}},
        // Save-as dialog; its format list runs GPX, KML, PLT, WPT, TXT.
        {"fmSave", 1, "Save points as", {{kSave, kSave, W}}},
        {"fmSave", 2, "File name", {{kSave, "Button1", C}}},
        {"fmSave", 3, "File format", {{kSave, "RadioGroup1", C}}},
        {"fmSave", 5, "PLT - Ozi Trackpoints", {{kSave, "RadioFormat2", C}}},
        {"fmSave", 6, "WPT - Ozi Waypoints", {{kSave, "RadioFormat3", C}}},
        {"fmSave", 7, "TXT - Text file (for AutoRoute import)", {{kSave, "RadioFormat4", C}}},
        {"fmSave", 8, "GPX - GPS Exchange format", {{kSave, "RadioFormat0", C}}},
        {"fmSave", 10, "KML - Keyhole Markup Language (Google Earth)", {{kSave, "RadioFormat1", C}}},
        // NMEA log file tool.
        {"fmNmeaLog", 1, "NMEA logfile", {{kNmeaLog, kNmeaLog, W}}},
        {"fmNmeaLog", 2, "File:", {{kNmeaLog, "lbFile", C}}},
        {"fmNmeaLog", 3, "Options", {{kNmeaLog, "rgOptions", C}}},
        {"fmNmeaLog", 4, "Check NMEA logfile", {{kNmeaLog, "cbCheck", C}}},
        {"fmNmeaLog", 5, "Split file (one file for each date)", {{kNmeaLog, "cbSplit", C}}},
        {"fmNmeaLog", 6, "Remove incorrect records (incorrect CRC)", {{kNmeaLog, "cbCorrect", C}}},
        {"fmNmeaLog", 7, "Only preserve RMC records", {{kNmeaLog, "cbRMC", C}}},
        // CSV import wizard; its data type list is "<skip>" and four list columns.
        {"fmImportWizzard", 1, "Separator character", {{kWizard, "lbSeparatorStep", C}}},
        {"fmImportWizzard", 2, "Field assignment", {{kWizard, "lbFieldStep", C}}},
        {"fmImportWizzard", 3, "Settings", {{kWizard, "gbSettings", C}}},
        {"fmImportWizzard", 4, "Choose that character that separates your fields:", {{kWizard, "lbSeparator", C}}},
        {"fmImportWizzard", 5, "Tab", {{kWizard, "rbTab", C}}},
        {"fmImportWizzard", 6, "Semicolon", {{kWizard, "rbSemicolon", C}}},
        {"fmImportWizzard", 7, "Comma", {{kWizard, "rbComma", C}}},
        {"fmImportWizzard", 8, "Contents of file:", {{kWizard, "lbContents1", C}, {kWizard, "lbContents2", C}}},
        {"fmImportWizzard", 9, "First row contains column headings", {{kWizard, "cbHeadings", C}}},
        {"fmImportWizzard", 10, "Data type:", {{kWizard, "lbDataType", C}}},
        {"fmImportWizzard", 11, "<skip>", {{kWizard, "cbDataType", L, 0}}},
        {"fmImportWizzard", 12, "< Previous", {{kWizard, "btPrevious", C}}},
        {"fmImportWizzard", 13, "Next >", {{kWizard, "btNext", C}}},
        {"fmImportWizzard", 14, "Finish", {{kWizard, "btFinish", C}}},
        {"fmImportWizzard", 15, "Cancel", {{kWizard, "btCancel", C}}},
    };
    // The wizard's data types after "<skip>": latitude, longitude, time, altitude.
    auto addItem = [&](int tab1Number, int index) {
        for (auto& k : keys)
            if (std::string_view(k.section) == "Tab1" && k.number == tab1Number)
                k.targets.push_back({kWizard, "cbDataType", L, index});
    };
    addItem(2, 1);
    addItem(3, 2);
    addItem(7, 3);
    addItem(4, 4);
    return keys;
}

std::string keyName(const std::string& prefix, int number) { return prefix + std::to_string(number); }

// The language keys looked up by section and key, letter case ignored; the
// first of two equal keys wins, as in IniFile. Built in one pass, because a
// language reads some three hundred keys.
class KeyIndex {
public:
    explicit KeyIndex(const IniFile& ini) {
        ini.visit([this](const std::string& section, const std::string& key, const std::string& value) {
            if (!key.empty()) values_.emplace(name(section, key), value);
        });
    }
    std::string read(const std::string& section, const std::string& key, const std::string& fallback) const {
        auto it = values_.find(name(section, key));
        return it == values_.end() ? fallback : it->second;
    }

private:
    static std::string name(const std::string& section, const std::string& key) {
        return core::AsciiLower(section) + '\n' + core::AsciiLower(key);
    }
    std::unordered_map<std::string, std::string> values_;
};

int languageCount(const IniFile& product) {
    return std::clamp(product.readInteger("Languages", "number", 1), 1, kMaxLanguages);
}

std::vector<std::string> readMessages(const KeyIndex& product, const std::string& prefix) {
    std::vector<std::string> table;
    for (int i = 0; i < kMaxMessages; ++i) {
        table.push_back(product.read("Messages", keyName(prefix, i), ""));
        if (table.back().empty()) break;
    }
    // A partial translation of the messages is not used at all.
    if (static_cast<int>(table.size()) < kMinMessages) table.clear();
    // The closing empty entry only marks the end: numbers from there on
    // show the English text rather than an empty box.
    if (!table.empty() && table.back().empty()) table.pop_back();
    return table;
}

// The key names the translators' export keeps, as written (letter case counts).
bool isLanguageKey(const std::string& key) {
    static const char* const kPrefixes[] = {"number", "lang", "prefix", "nl", "gb", "ge", "fr", "sp", "fi"};
    for (const char* p : kPrefixes)
        if (key.rfind(p, 0) == 0) return true;
    return false;
}

}  // namespace

const std::vector<TextKey>& LanguageTextKeys() {
    static const std::vector<TextKey> keys = buildKeys();
    return keys;
}

std::vector<AppliedText> LanguageTexts::forWindow(const std::string& window) const {
    std::vector<AppliedText> out;
    for (const auto& t : texts)
        if (window == t.target.window) out.push_back(t);
    return out;
}

std::vector<std::string> LanguageTexts::availableFields(const std::vector<std::string>& chosen) const {
    std::vector<std::string> out;
    for (int i = 1; i <= kFieldCount; ++i) {
        std::string tag = "[" + core::ZeroPad(i, 2) + "]";
        bool taken = std::any_of(chosen.begin(), chosen.end(),
                                 [&](const std::string& c) { return c.find(tag) != std::string::npos; });
        if (taken) continue;
        std::string caption = static_cast<size_t>(i) <= fieldCaptions.size() ? fieldCaptions[static_cast<size_t>(i - 1)]
                                                                            : std::to_string(i);
        out.push_back(tag + " " + caption);
    }
    return out;
}

std::vector<std::string> LanguageMenu(const IniFile& product) {
    std::vector<std::string> menu;
    int count = languageCount(product);
    KeyIndex index(product);
    for (int i = 1; i <= count; ++i) menu.push_back(index.read("Languages", keyName("lang", i), "lang1"));
    return menu;
}

LanguageTexts ReadLanguage(const IniFile& product, int n) {
    LanguageTexts t;
    t.language = n >= 1 && n <= languageCount(product) ? n : 1;
    t.prefix = product.readString("Languages", keyName("prefix", t.language), "nl");
    KeyIndex index(product);
    for (const auto& key : LanguageTextKeys()) {
        std::string text = index.read(key.section, keyName(t.prefix, key.number), key.english);
        for (const auto& target : key.targets) t.texts.push_back({target, text});
        // Without a translation the field list shows the English column captions.
        if (std::string_view(key.section) == "Tab1" && key.number >= 1 && key.number <= kFieldCount)
            t.fieldCaptions.push_back(text);
    }
    t.messages = readMessages(index, t.prefix);
    return t;
}

LanguageTexts Taalinstellen(const std::string& productSettingsPath, int n, MessageTable& messages,
                            MessageLog& log) {
    IniFile product = IniFile::load(productSettingsPath);
    LanguageTexts t = ReadLanguage(product, n);
    log.Report("Select language: " + std::to_string(t.language));
    if (t.messages.empty())
        messages.restoreBuiltIn();
    else
        messages.replace(t.messages);
    return t;
}

LanguageTexts SelecteerTaal(const std::string& productSettingsPath, int menuPosition, int& currentLanguage,
                            MessageTable& messages, MessageLog& log) {
    LanguageTexts t = Taalinstellen(productSettingsPath, menuPosition + 1, messages, log);
    currentLanguage = t.language;
    return t;
}

std::string TranslationExportText(const IniFile& product) {
    const std::string eol = "\r\n";
    std::string out = "Add your translation in the appropriate fields" + eol;
    out += std::string("Please e-mail the completed file to ") + kTranslationAddress + eol;
    out += eol;
    bool inSection = false;
    product.visit([&](const std::string& section, const std::string& key, const std::string& value) {
        if (key.empty()) {
            if (inSection) out += eol;
            inSection = true;
            for (int i = 0; i < 3; ++i) out += "[" + section + "];";
            out += eol;
        } else if (inSection && isLanguageKey(key)) {
            out += section + ";" + key + ";" + value + ";" + eol;
        }
    });
    if (inSection) out += eol;
    return out;
}

core::Result ExportTextstrings1Click(const std::string& productSettingsPath, const std::string& exportPath,
                                     host::Prompts& prompts, MessageLog& log) {
    log.Report("Export text strings for translation");
    std::error_code ec;
    if (std::filesystem::exists(exportPath, ec) &&
        prompts.askYesNo("The file \"" + exportPath + "\" already exists, overwrite?", host::Severity::Warning) !=
            host::Answer::Yes)
        return core::Result::cancelled();
    formats::AtomicFile file(exportPath);
    if (!file.open() || !file.write(TranslationExportText(IniFile::load(productSettingsPath))) || !file.commit()) {
        // Not written: say so rather than announce a file that is not there.
        prompts.show(file.error(), host::Severity::Error);
        return core::Result::failed(file.error());
    }
    prompts.show("Save strings to file: " + exportPath, host::Severity::Information);
    return core::Result::done(exportPath);
}

}  // namespace app
