#pragma once
// The fixed-font screen reader for the co-ordinate box a route planner shows
// beside the mouse pointer. A captured rectangle is reduced to a few colours,
// every pixel becomes a symbol, and each text line is read column by column
// against the character table: a character is known by the exact pixel
// columns it occupies. Two releases of Route 66 are known, each a profile.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "capture/desktop.h"
#include "capture/ocr_table.h"

namespace capture {

enum class OcrVersion { V2002, V2004 };

struct OcrProfile {
    OcrVersion version;
    const char* tableFile;  // "ocr2002.ini" / "ocr2004.ini"
    int width, height;      // capture rectangle, pixels
    int bitsPerPixel;       // 1: black and white; 4: the standard 16 colours
    int columnHeight;       // pixels of one column string
    bool scored;            // scored matching instead of exact
    ScreenPoint offset;     // capture corner relative to the pointer
};

const OcrProfile& ProfileOf(OcrVersion version);

constexpr int kMaxOcrLines = 4;
constexpr int kLineSpacing = 12;  // bottom rows of the text lines: 12, 24, 36, 48
constexpr int kAcceptScore = 1001;  // scored matching: 1100 is a perfect 11-symbol column

// The standard 16-colour palette, 0xRRGGBB: 0 black, 7 light grey, 8 dark
// grey, 15 white.
extern const std::array<std::uint32_t, 16> kPalette16;

// A picture reduced to palette indexes (1 bit: only 0 and 15).
struct ReducedImage {
    int width = 0;
    int height = 0;
    int bitsPerPixel = 1;
    std::vector<std::uint8_t> index;

    std::uint8_t at(int x, int y) const { return index[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)]; }
    Image toImage() const;  // for the second preview
};

// Draws `picture` into an image of the profile's size (white where the
// picture does not reach) with every pixel turned to the nearest colour the
// profile's depth allows.
ReducedImage Reduce(const Image& picture, const OcrProfile& profile);

// The symbol of one reduced pixel: 1 bit "." white, "0" black; 4 bits "."
// white, "!" dark grey, "$" light grey, "#" black and index 1, else the
// index as an upper-case hexadecimal digit.
char SymbolOf(std::uint8_t index, int bitsPerPixel);
// The colour that a symbol stands for; white for symbols no palette has.
std::uint32_t ColourOfSymbol(char symbol, int bitsPerPixel);

// One row's symbol string, left to right.
std::string IntToBin(const ReducedImage& image, int row);
// The symbols of pixel column `column` (counted from 1) from `bottomRow` up,
// `height` of them. Columns outside the image give an empty string.
std::string ColumnString(const ReducedImage& image, int column, int bottomRow, int height);

// Score of a table column against an image column: per symbol of `tableColumn`
// 100 for the same symbol, 50 for a near pair (. !, ! $, $ #), else 0.
int Compare(std::string_view tableColumn, std::string_view imageColumn);

struct OcrResult {
    std::array<std::string, kMaxOcrLines> lines;
    ReducedImage reduced;
    std::vector<std::string> dump;  // one symbol string per row, top first (when asked)
};

// The mark a reader can ask for in place of a character whose columns hold
// ink but match no entry (covered or damaged): without it the text just
// lacks the character, and a number missing a digit still looks like one.
inline constexpr std::string_view kUnreadGlyph = "\uFFFD";

// Reads up to four lines of text from the picture. Scored matching keeps
// each entry's last score in the table, hence the mutable table. Each run of
// unmatched columns holding ink becomes `unreadMark` (nothing when empty).
OcrResult OcrBitmap(const Image& picture, const OcrProfile& profile, OcrTable& table, bool withDump = false,
                    std::string_view unreadMark = {});

// Reads the line whose bottom row is `bottomRow`, seven columns at a time;
// OcrBitmap calls it for each line.
std::string ReadLine(const ReducedImage& image, int bottomRow, const OcrProfile& profile, OcrTable& table,
                     std::string_view unreadMark = {});

}  // namespace capture
