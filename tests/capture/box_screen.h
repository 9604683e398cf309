#pragma once
// Test helpers: the shipped character tables, and a fake screen that shows
// a co-ordinate box where the capture looks for it.

#include <string>
#include <vector>

#include "capture/box_compose.h"
#include "capture/fake/fake_desktop.h"
#include "capture/ocr_table.h"

inline std::string ShippedTable(capture::OcrVersion version) {
    return std::string(PATHKEEP_DATA_DIR) + "/" + capture::ProfileOf(version).tableFile;
}

// Draws the box into the fake screen at the pointer plus the profile's
// offset, the rectangle the capture grabs.
inline void ShowBox(capture::FakeDesktop& desktop, capture::OcrVersion version, const std::vector<std::string>& lines) {
    const capture::OcrProfile& p = capture::ProfileOf(version);
    capture::OcrTable table = capture::ReadOcrTable(ShippedTable(version));
    capture::Image box = capture::ComposeBox(table, p, lines).image;
    int left = desktop.pointerAt.x + p.offset.x, top = desktop.pointerAt.y + p.offset.y;
    for (int y = 0; y < box.height; ++y)
        for (int x = 0; x < box.width; ++x)
            if (left + x >= 0 && top + y >= 0 && left + x < desktop.screen.width && top + y < desktop.screen.height)
                desktop.screen.set(left + x, top + y, box.at(x, y));
}

// Paints black over character `index` (0-based) of line `line` of a box that
// ShowBox drew with `lines`, as a window or the pointer lying over it would.
inline void CoverCharacter(capture::FakeDesktop& desktop, capture::OcrVersion version,
                           const std::vector<std::string>& lines, size_t line, size_t index) {
    const capture::OcrProfile& p = capture::ProfileOf(version);
    capture::OcrTable table = capture::ReadOcrTable(ShippedTable(version));
    std::vector<std::string> chars = capture::Utf8Characters(lines.at(line));
    int x = desktop.pointerAt.x + p.offset.x;
    for (size_t i = 0; i < index; ++i) x += table.entries[static_cast<size_t>(table.codeFor(chars.at(i)))].length;
    int width = table.entries[static_cast<size_t>(table.codeFor(chars.at(index)))].length;
    int bottom = desktop.pointerAt.y + p.offset.y + capture::kLineSpacing * static_cast<int>(line + 1);
    for (int y = bottom - p.columnHeight + 1; y <= bottom; ++y)
        for (int dx = 0; dx < width; ++dx) desktop.screen.set(x + dx, y, 0x000000);
}
