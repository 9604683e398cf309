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
