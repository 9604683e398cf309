#pragma once
// Characters of a fixed-pitch font drawn without antialiasing, cut into the
// pixel columns the screen reader's tables hold, and the same drawing for a
// whole co-ordinate box. The table generator and the test planners share it,
// so a box they draw reads back as the tables expect.

#include <QFont>
#include <QImage>
#include <QString>

#include <string>
#include <vector>

#include "capture/ocr.h"

namespace ocrtables {

struct FontChoice {
    QFont font;
    int pixelSize = 0;
    int cellWidth = 0;   // advance of every character, pixels
    int belowBase = 0;   // ink rows below the baseline, at most
    bool valid() const { return cellWidth > 0; }
};

// The largest size of `family` whose characters fit the profile's column
// height and whose cells let a 29-character line fit the capture width (at
// most 7 columns, what one table entry can match). Invalid when none fits.
FontChoice ChooseFont(const QString& family, const capture::OcrProfile& profile, const std::vector<int>& codes);

struct Glyph {
    int code = 0;
    std::vector<std::string> columns;  // symbol strings, bottom row first
};

struct GlyphSet {
    std::vector<Glyph> glyphs;
    std::string description;  // font, size, cell
};

GlyphSet RenderGlyphs(const QString& family, const capture::OcrProfile& profile, const std::vector<int>& codes);

// Draws the lines as a co-ordinate box of the profile's size (black on
// white), each character in its own cell; line i has its bottom column row
// at 12 * (i + 1) and starts at pixel column `firstColumn` (from 1).
QImage DrawBox(const FontChoice& font, const capture::OcrProfile& profile, const QStringList& lines,
               int firstColumn = 1);

}  // namespace ocrtables
