#include "capture/box_compose.h"

#include <cmath>
#include <cstdio>

namespace capture {

ComposedBox ComposeBox(const OcrTable& table, const OcrProfile& profile, const std::vector<std::string>& lines,
                       int firstColumn) {
    ComposedBox box{Image(profile.width, profile.height, 0xFFFFFF), {}};
    for (size_t i = 0; i < lines.size() && i < kMaxOcrLines; ++i) {
        int bottom = kLineSpacing * static_cast<int>(i + 1);
        if (bottom >= profile.height) break;
        int x = firstColumn - 1;
        for (const std::string& ch : Utf8Characters(lines[i])) {
            int code = table.codeFor(ch);
            if (code < 0) {
                box.missing.push_back(ch);
                continue;
            }
            const OcrEntry& e = table.entries[static_cast<size_t>(code)];
            for (int k = 0; k < e.length; ++k, ++x) {
                const std::string& column = k < kMaxOcrColumns ? e.columns[static_cast<size_t>(k)] : std::string();
                for (size_t s = 0; s < column.size(); ++s) {
                    int y = bottom - static_cast<int>(s);
                    if (x >= 0 && x < box.image.width && y >= 0 && y < box.image.height)
                        box.image.set(x, y, ColourOfSymbol(column[s], profile.bitsPerPixel));
                }
            }
        }
    }
    return box;
}

namespace {

// "N 52° 05' 12.3\"": whole degrees, two-digit minutes, seconds to a tenth.
std::string dms(double value, char positive, char negative) {
    double a = std::fabs(value);
    long tenths = std::lround(a * 36000.0);  // tenths of a second
    long degrees = tenths / 36000, minutes = tenths / 600 % 60, rest = tenths % 600;
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%c %ld\u00B0 %02ld' %ld.%ld\"", value < 0 ? negative : positive, degrees,
                  minutes, rest / 10, rest % 10);
    return buffer;
}

}  // namespace

std::vector<std::string> CoordinateBoxLines(double latitude, double longitude, bool dutch,
                                            const std::vector<std::string>& topLines) {
    std::vector<std::string> lines = topLines;
    if (dutch) {
        lines.push_back("Breedtegraad: " + dms(latitude, 'N', 'Z'));
        lines.push_back("Lengtegraad: " + dms(longitude, 'O', 'W'));
    } else {
        lines.push_back("Latitude: " + dms(latitude, 'N', 'S'));
        lines.push_back("Longitude: " + dms(longitude, 'E', 'W'));
    }
    return lines;
}

}  // namespace capture
