#pragma once
// Delimited text of track points, read with the column layout the user
// chooses in the import wizard (TfrmImportWizzard).

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "formats/gpx.h"

namespace formats {

// Data types a column can have, in the order of the wizard's lists.
enum CsvColumnType {
    kCsvSkip,
    kCsvLatitude,
    kCsvLongitude,
    kCsvTime,
    kCsvAltitude,
    kCsvDate,
    kCsvDateTime,
    kCsvHemisphere,
    kCsvTypeCount
};
// The names of the types as the wizard's lists show them.
extern const std::array<const char*, kCsvTypeCount> kCsvTypeNames;
constexpr int kCsvColumns = 5;     // lists the wizard shows at least
constexpr int kCsvMaxFields = 20;  // fields a line is split into, and lists at most

class ImportWizardModel : public host::DialogModel {
public:
    enum class Result { None, Finish, Cancel };
    enum class Page { Separator, Fields };

    std::string dialogName() const override { return "TfrmImportWizzard"; }

    std::string fileName;
    std::string preview;  // the file's text
    char separator = '\t';
    int columnCount = kCsvColumns;  // lists shown: the fields of line one, at least five
    std::array<int, kCsvMaxFields> columnTypes{};
    std::array<std::string, kCsvMaxFields> headings;
    bool headerRow = false;
    Page page = Page::Separator;
    Result result = Result::None;

    void initForm();
    void leesVelden();  // headings of the first line at the chosen separator
    void next();        // to the field page, guessing each column
    void previous();
    void finish() { result = Result::Finish; }
    void cancel() { result = Result::Cancel; }
    CsvSettings storeSettings() const;

    static int kiesVeld(const std::string& heading);  // guessed CsvColumnType
};

// Splits a line at the separator into fields 1..20; fields past 20 are run
// together into field 20. Index 0 stays empty for an unassigned column.
std::array<std::string, kCsvMaxFields + 1> SplitCsvLine(std::string_view line, char separator);
// The same fields as views into the line, for reading millions of lines.
class CsvLineFields {
public:
    CsvLineFields(std::string_view line, char separator);
    CsvLineFields(const CsvLineFields&) = delete;  // the views may point into last_
    CsvLineFields& operator=(const CsvLineFields&) = delete;
    // Field 1..kCsvMaxFields; 0 and the fields past the line's end are empty.
    std::string_view operator[](int column) const {
        return column >= 0 && column <= kCsvMaxFields ? fields_[static_cast<size_t>(column)] : std::string_view();
    }

private:
    std::array<std::string_view, kCsvMaxFields + 1> fields_{};
    std::string last_;
};

// "hh:mm[:ss[.fff]]" (or "hhmmss[.fff]" when `compact`) -> seconds into the
// day; none when it is no time of day.
std::optional<long double> ParseTimeOfDay(std::string_view text, bool compact = false);
// "yyyy/mm/dd", "yyyy-mm-dd", "dd-mm-yyyy" or "ddmmyy" (years 2000-2099;
// "yymmdd" with yearFirst) -> days since 1899-12-30; none when it is no date.
std::optional<long> ParseCsvDate(std::string_view text, bool yearFirst = false);
// Whether a file's heading line is a Columbus V-900's ("INDEX,TAG,DATE,TIME,..."),
// whose dates are yymmdd.
bool ColumbusHeading(std::string_view firstLine);
// A number that may carry a unit of length ("-64.153 m", "12 ft"), in
// metres as text; none when no number is left once the unit is taken off.
std::optional<std::string> CsvMetres(std::string_view text);
// A date, a blank or "T", a time of day ("2024-06-01 10:53:26.5") -> serial
// number; none when it is none.
std::optional<long double> ParseCsvDateTime(std::string_view text);
// A latitude or longitude, with or without a hemisphere letter before or
// after it ("49.0733336N", "W125.76"): its text with a "-" for south and
// west; none when it is no coordinate or the letter belongs to the other axis.
std::optional<std::string> ParseCsvCoordinate(std::string_view text, bool latitude);

// The file's text as the wizard shows it and the reader reads it.
core::Result ReadCsvText(const std::string& fileName, std::string& text);
// The separator a person would pick: the one the first line has most of.
char GuessCsvSeparator(std::string_view text);
// What the wizard guesses from the headings at this separator.
CsvSettings GuessCsvSettings(const std::string& text, char separator);
// Adds the text's lines as points of the track "ACTIVE LOG".
core::Result CsvBestandInlezen(Env& env, std::string_view text, const CsvSettings& settings);

}  // namespace formats
