// The screen reader from memory: a character table text, then a picture.
// Input: one byte choosing the profile, the table's INI text up to a NUL
// byte, two bytes of width and height, then RGB bytes (short pictures are
// padded with white). The lines read go through the label and DMS rules.

#include <cstddef>
#include <cstdint>
#include <string>

#include "capture/ocr.h"
#include "capture/route66_capture.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const capture::OcrProfile& profile =
        capture::ProfileOf(data[0] & 1 ? capture::OcrVersion::V2004 : capture::OcrVersion::V2002);
    std::string rest(reinterpret_cast<const char*>(data + 1), size - 1);
    size_t nul = rest.find('\0');
    capture::OcrTable table = capture::ParseOcrTable(rest.substr(0, nul));
    std::string pixels = nul == std::string::npos ? std::string() : rest.substr(nul + 1);
    int width = pixels.size() > 0 ? static_cast<std::uint8_t>(pixels[0]) : 0;
    int height = pixels.size() > 1 ? static_cast<std::uint8_t>(pixels[1]) : 0;
    capture::Image image(width, height);
    for (size_t i = 0; i < image.pixels.size() && 2 + 3 * i + 2 < pixels.size(); ++i) {
        const auto* p = reinterpret_cast<const std::uint8_t*>(pixels.data() + 2 + 3 * i);
        image.pixels[i] = (std::uint32_t(p[0]) << 16) | (std::uint32_t(p[1]) << 8) | p[2];
    }
    // The capture's reading, which marks unread glyphs, and the plain one.
    capture::OcrResult r = capture::OcrBitmap(image, profile, table, true, capture::kUnreadGlyph);
    (void)capture::OcrBitmap(image, profile, table, false);
    std::string lat, lon;
    if (capture::FindCoordinates(r.lines, lat, lon)) {
        capture::DmsText d;
        capture::SplitDms(lat, d);
        capture::SplitDms(lon, d);
    }
    capture::DmsText d;
    capture::SplitDms(rest.substr(0, nul), d);
    return 0;
}
