#include "capture/ocr.h"

#include <algorithm>

namespace capture {

namespace {

// Route 66 2002 draws its box in black and white; 2004 in the 16 colours.
const std::array<OcrProfile, 2> kProfiles = {{
    {OcrVersion::V2002, "ocr2002.ini", 156, 52, 1, 10, false, {-1, 20}},
    {OcrVersion::V2004, "ocr2004.ini", 310, 39, 4, 11, true, {-1, 17}},
}};

constexpr std::uint8_t kBlack = 0;
constexpr std::uint8_t kWhite = 15;

int channel(std::uint32_t rgb, int shift) { return static_cast<int>((rgb >> shift) & 0xFF); }

// Squared distance in RGB: plain, and enough to pick the nearest of 16.
int distance(std::uint32_t a, std::uint32_t b) {
    int dr = channel(a, 16) - channel(b, 16), dg = channel(a, 8) - channel(b, 8), db = channel(a, 0) - channel(b, 0);
    return dr * dr + dg * dg + db * db;
}

std::uint8_t nearestIndex(std::uint32_t rgb, int bitsPerPixel) {
    if (bitsPerPixel == 1) return distance(rgb, 0x000000) <= distance(rgb, 0xFFFFFF) ? kBlack : kWhite;
    std::uint8_t best = 0;
    for (std::uint8_t i = 1; i < kPalette16.size(); ++i)
        if (distance(rgb, kPalette16[i]) < distance(rgb, kPalette16[best])) best = i;
    return best;
}

bool nearPair(char a, char b) {
    auto is = [&](char x, char y) { return (a == x && b == y) || (a == y && b == x); };
    return is('.', '!') || is('!', '$') || is('$', '#');
}

struct Match {
    int code = -1;
    int length = 1;
};

// Columns pos .. pos+6 of one line; past the right edge they stay empty.
std::array<std::string, kMaxOcrColumns> window(const ReducedImage& image, int pos, int bottomRow, int height) {
    std::array<std::string, kMaxOcrColumns> columns;
    for (int k = 0; k < kMaxOcrColumns; ++k) columns[static_cast<size_t>(k)] = ColumnString(image, pos + k, bottomRow, height);
    return columns;
}

// The longest entry whose columns equal the image's; the highest code among
// equally long ones. An empty image column (past the edge) equals nothing.
Match exactMatch(const OcrTable& table, const std::array<std::string, kMaxOcrColumns>& columns) {
    Match best;
    int bestLength = 0;
    for (int code = kFirstOcrCode; code <= kLastOcrCode; ++code) {
        const OcrEntry& e = table.entries[static_cast<size_t>(code)];
        if (e.length < 1 || e.length > kMaxOcrColumns || e.length < bestLength) continue;
        bool equal = true;
        for (int k = 0; k < e.length && equal; ++k) {
            const std::string& c = columns[static_cast<size_t>(k)];
            equal = !c.empty() && c == e.columns[static_cast<size_t>(k)];
        }
        if (equal) {
            best = {code, e.length};
            bestLength = e.length;
        }
    }
    return best;
}

Match scoredMatch(OcrTable& table, const std::array<std::string, kMaxOcrColumns>& columns) {
    int bestCode = -1, bestScore = 0;
    for (int code = kFirstOcrCode; code <= kLastOcrCode; ++code) {
        OcrEntry& e = table.entries[static_cast<size_t>(code)];
        if (e.empty()) continue;
        int sum = 0;
        for (int k = 0; k < std::min(e.length, kMaxOcrColumns); ++k)
            sum += Compare(e.columns[static_cast<size_t>(k)], columns[static_cast<size_t>(k)]);
        e.score = sum / e.length;
        if (bestCode < 0 || e.score > bestScore) {
            bestCode = code;
            bestScore = e.score;
        }
    }
    if (bestCode < 0 || bestScore < kAcceptScore) return {};
    return {bestCode, table.entries[static_cast<size_t>(bestCode)].length};
}

}  // namespace

const std::array<std::uint32_t, 16> kPalette16 = {
    0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
    0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF,
};

const OcrProfile& ProfileOf(OcrVersion version) {
    return kProfiles[version == OcrVersion::V2002 ? 0 : 1];
}

Image ReducedImage::toImage() const {
    Image out(width, height);
    for (size_t i = 0; i < index.size(); ++i) out.pixels[i] = kPalette16[index[i] & 0x0F];
    return out;
}

ReducedImage Reduce(const Image& picture, const OcrProfile& profile) {
    ReducedImage r;
    r.width = profile.width;
    r.height = profile.height;
    r.bitsPerPixel = profile.bitsPerPixel;
    r.index.assign(static_cast<size_t>(r.width) * static_cast<size_t>(r.height), kWhite);
    int w = std::min(picture.width, r.width), h = std::min(picture.height, r.height);
    if (picture.pixels.size() < static_cast<size_t>(std::max(picture.width, 0)) * static_cast<size_t>(std::max(picture.height, 0)))
        return r;  // a picture whose pixels do not fill its size is not read
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            r.index[static_cast<size_t>(y) * static_cast<size_t>(r.width) + static_cast<size_t>(x)] =
                nearestIndex(picture.at(x, y) & 0xFFFFFF, profile.bitsPerPixel);
    return r;
}

char SymbolOf(std::uint8_t index, int bitsPerPixel) {
    if (bitsPerPixel == 1) return index == kBlack ? '0' : '.';
    switch (index) {
    case 15: return '.';
    case 8: return '!';
    case 7: return '$';
    case 0:
    case 1: return '#';
    default: return "0123456789ABCDEF"[index & 0x0F];
    }
}

std::uint32_t ColourOfSymbol(char symbol, int bitsPerPixel) {
    if (bitsPerPixel == 1) return symbol == '0' ? 0x000000 : 0xFFFFFF;
    switch (symbol) {
    case '.': return kPalette16[15];
    case '!': return kPalette16[8];
    case '$': return kPalette16[7];
    case '#': return kPalette16[0];
    default: break;
    }
    if (symbol >= '2' && symbol <= '9') return kPalette16[static_cast<size_t>(symbol - '0')];
    if (symbol >= 'A' && symbol <= 'E') return kPalette16[static_cast<size_t>(symbol - 'A' + 10)];
    return kPalette16[15];
}

std::string IntToBin(const ReducedImage& image, int row) {
    std::string s;
    if (row < 0 || row >= image.height) return s;
    s.reserve(static_cast<size_t>(image.width));
    for (int x = 0; x < image.width; ++x) s += SymbolOf(image.at(x, row), image.bitsPerPixel);
    return s;
}

std::string ColumnString(const ReducedImage& image, int column, int bottomRow, int height) {
    std::string s;
    int x = column - 1;
    if (x < 0 || x >= image.width) return s;
    for (int y = bottomRow; y > bottomRow - height; --y)
        if (y >= 0 && y < image.height) s += SymbolOf(image.at(x, y), image.bitsPerPixel);
    return s;
}

int Compare(std::string_view tableColumn, std::string_view imageColumn) {
    int score = 0;
    for (size_t i = 0; i < tableColumn.size() && i < imageColumn.size(); ++i) {
        if (tableColumn[i] == imageColumn[i])
            score += 100;
        else if (nearPair(tableColumn[i], imageColumn[i]))
            score += 50;
    }
    return score;
}

std::string ReadLine(const ReducedImage& image, int bottomRow, const OcrProfile& profile, OcrTable& table,
                     std::string_view unreadMark) {
    const char white = SymbolOf(kWhite, image.bitsPerPixel);
    std::string text;
    // Unmatched white columns are margin or the gap before a character;
    // unmatched ink since the last match is a character that was not read.
    bool unreadInk = false;
    for (int pos = 1; pos < image.width;) {
        auto columns = window(image, pos, bottomRow, profile.columnHeight);
        Match m = profile.scored ? scoredMatch(table, columns) : exactMatch(table, columns);
        if (m.code >= 0) {
            if (unreadInk) text += unreadMark;
            unreadInk = false;
            text += table.entries[static_cast<size_t>(m.code)].text;
        } else if (columns[0].find_first_not_of(white) != std::string::npos) {
            unreadInk = true;
        }
        pos += std::max(m.length, 1);
    }
    if (unreadInk) text += unreadMark;
    return text;
}

OcrResult OcrBitmap(const Image& picture, const OcrProfile& profile, OcrTable& table, bool withDump,
                    std::string_view unreadMark) {
    OcrResult result;
    result.reduced = Reduce(picture, profile);
    if (withDump)
        for (int y = 0; y < result.reduced.height; ++y) result.dump.push_back(IntToBin(result.reduced, y));
    int line = 0;
    for (int bottom = kLineSpacing; bottom < result.reduced.height && line < kMaxOcrLines; bottom += kLineSpacing)
        result.lines[static_cast<size_t>(line++)] = ReadLine(result.reduced, bottom, profile, table, unreadMark);
    return result;
}

}  // namespace capture
