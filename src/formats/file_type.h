#pragma once
// Deciding a file's type from its first lines, and the table of formats the
// open and save commands, the dialogs and pathkeep-cli all read.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "formats/gpx.h"
#include "formats/env.h"

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

using ReadFn = core::Result (*)(Env&, const std::string& path, const ReadOptions& options);
using WriteFn = core::Result (*)(Env&, const std::string& path, const SaveOptions& options);

// Save formats in the order of the save dialog's list.
enum class SaveFormat { Gpx, Kml, Plt, Wpt, Txt };

// Everything the program knows of one format: how open recognises it (by
// DetectFileType's type), its reader, its writer, and what the dialogs and
// pathkeep-cli --format call it.
struct FormatRow {
    FileType type;                     // Unknown: a format that is only written
    host::FileFilter openFilter;       // the open dialog's entry
    ReadFn read;                       // none: recognised but not read yet
    std::optional<SaveFormat> save;    // none: never written
    const char* id;                    // pathkeep-cli --format
    const char* extension;             // with its dot
    const char* saveCaption;           // the save dialog's item
    WriteFn write;
};
const std::vector<FormatRow>& Formats();

// The reader for a type; none for a type it cannot read.
ReadFn ReaderFor(FileType type);

struct SaveFormatRow {
    SaveFormat format;
    const char* id;
    const char* extension;
    const char* caption;
    WriteFn write;
};
const std::vector<SaveFormatRow>& SaveFormats();
const SaveFormatRow* SaveFormatById(std::string_view id);
const SaveFormatRow& SaveFormatOf(SaveFormat format);
// The format an extension preselects; GPX for any other.
SaveFormat SaveFormatForExtension(std::string_view extension);

// The open dialog's filter, last entry ("All files") preselected.
std::vector<host::FileFilter> OpenFilters();

}  // namespace formats
