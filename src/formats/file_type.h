#pragma once
// Deciding a file's type from its first lines, and the table of formats the
// open and save commands, the dialogs and pathkeep-cli all read.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "formats/gpx.h"
#include "plot/bounds.h"

namespace formats {

enum class FileType { PathkeepOwn, OziWaypoint, OziTrack, NmeaLog, EasyGps, Gpx, Kml, Csv, Unknown };

// What the type tests look at: the first two lines joined, and the first
// 4 KiB of the file.
struct FileHead {
    std::string lines;
    std::string block;
};

constexpr size_t kHeadBytes = 4096;

// Reads the head of a file; false with a message when it cannot be read.
bool ReadFileHead(const std::string& path, FileHead& head, std::string& error);
FileHead HeadOfText(std::string_view text);
FileType DetectFileType(const FileHead& head, std::string_view extension);
const char* FileTypeName(FileType type);

// Lower-case extension with its dot, "" when there is none.
std::string ExtensionOf(const std::string& path);
std::string ReplaceExtension(const std::string& path, const std::string& extension);
std::string FileNameOf(const std::string& path);
std::string DirectoryOf(const std::string& path);  // with a trailing "/"; "" for a bare name

using ReadFn = std::function<ReadOutcome(Env&, const std::string& path)>;
using WriteFn = std::function<WriteOutcome(Env&, plot::PlotState&, const std::string& path, bool selectionOnly)>;

// The readers this program has, by type; none for a type it cannot read.
const ReadFn* ReaderFor(FileType type);

// Save formats in the order of the save dialog's list.
enum class SaveFormat { Gpx, Kml, Plt, Wpt, Txt };
struct SaveFormatRow {
    SaveFormat format;
    const char* id;         // for pathkeep-cli --format
    const char* extension;  // with its dot
    const char* caption;    // the save dialog's item
};
const std::vector<SaveFormatRow>& SaveFormats();
const SaveFormatRow* SaveFormatById(std::string_view id);
const SaveFormatRow& SaveFormatOf(SaveFormat format);
// The format an extension preselects; GPX for any other.
SaveFormat SaveFormatForExtension(std::string_view extension);
const WriteFn* WriterFor(SaveFormat format);

// The open dialog's filter, last entry ("All files") preselected.
std::vector<host::FileFilter> OpenFilters();

}  // namespace formats
