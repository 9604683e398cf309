#pragma once
// Draws a co-ordinate box from a character table's own column strings: the
// picture the reader expects for given line texts. Tests and the test
// planners use it, so they need no font to show a box the tables read.

#include <string>
#include <vector>

#include "capture/desktop.h"
#include "capture/ocr.h"

namespace capture {

struct ComposedBox {
    Image image;                       // the profile's size, white background
    std::vector<std::string> missing;  // characters the table has no entry for (left out)
};

// Line i (0-based) sits with its bottom pixel row at 12 * (i + 1); its first
// character starts at pixel column `firstColumn` (counted from 1). The
// reader's scan starts at column 1: with the scored matching of 2004, a line
// that starts further right can be read one column off, a wrong first
// character and all; so boxes start at the capture's left edge.
ComposedBox ComposeBox(const OcrTable& table, const OcrProfile& profile, const std::vector<std::string>& lines,
                       int firstColumn = 1);

// The line texts Route 66 shows for a position, with its labels: Dutch
// ("Breedtegraad: N 52° 05' 12.30\"") or English ("Latitude: ...").
// `topLines` go above them (the box's first line is a place name or empty).
// Seconds are shown to a tenth.
std::vector<std::string> CoordinateBoxLines(double latitude, double longitude, bool dutch,
                                            const std::vector<std::string>& topLines = {""});

}  // namespace capture
