// make-ocr-tables: writes the screen reader's character tables ocr2002.ini
// and ocr2004.ini from a fixed-pitch font drawn without antialiasing, so the
// tables match what a program drawing its co-ordinate box in that font
// shows. Every printable ASCII character and the degree sign get an entry.
//
//   make-ocr-tables OUTPUT_DIR [FONT_FILE]
//
// Exit status 0 when both tables were written, 1 when they could not be,
// 77 when the font is missing (the generation test then skips).

#include <QFile>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QTextStream>

#include <algorithm>

#include <cstdio>
#include <map>
#include <set>

#include "capture/ocr.h"
#include "tools/ocr-tables/glyphs.h"

namespace {

constexpr const char* kDefaultFont = "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf";

// The characters the co-ordinate box needs win over look-alikes that the
// font draws with the same pixels at this size.
bool needed(int code) {
    static const std::set<char> box = [] {
        std::set<char> s;
        for (char c : std::string("0123456789 BreedtgaLnLatiudeLongNSZOEW'\":.,")) s.insert(c);
        return s;
    }();
    return code == 0xB0 || (code < 128 && box.count(static_cast<char>(code)));
}

bool writeTable(const QString& path, const capture::OcrProfile& profile, const ocrtables::GlyphSet& glyphs) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    QTextStream out(&file);
    out << "; Character table of the Route 66 " << (profile.version == capture::OcrVersion::V2002 ? "2002" : "2004")
        << " co-ordinate box: " << QString::fromStdString(glyphs.description) << ".\n"
        << "; Written by tools/ocr-tables (make-ocr-tables); columns bottom row first.\n";
    for (const auto& g : glyphs.glyphs) {
        out << "\n[ascii-" << g.code << "]\n";
        out << "length=" << g.columns.size() << "\n";
        out << "kar=" << QString(QChar(g.code)) << "\n";
        for (size_t k = 0; k < g.columns.size(); ++k)
            out << "s" << (k + 1) << "=" << QString::fromStdString(g.columns[k]) << "\n";
    }
    out.flush();
    return file.error() == QFile::NoError;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: make-ocr-tables OUTPUT_DIR [FONT_FILE]\n");
        return 2;
    }
    QString fontFile = argc > 2 ? argv[2] : kDefaultFont;
    if (!QFile::exists(fontFile)) {
        std::fprintf(stderr, "font %s not found\n", qPrintable(fontFile));
        return 77;
    }
    int id = QFontDatabase::addApplicationFont(fontFile);
    if (id < 0 || QFontDatabase::applicationFontFamilies(id).isEmpty()) {
        std::fprintf(stderr, "font %s cannot be loaded\n", qPrintable(fontFile));
        return 1;
    }
    QString family = QFontDatabase::applicationFontFamilies(id).first();
    std::vector<int> codes;
    for (int c = 32; c <= 126; ++c) codes.push_back(c);
    codes.push_back(0xB0);

    for (auto version : {capture::OcrVersion::V2002, capture::OcrVersion::V2004}) {
        const capture::OcrProfile& profile = capture::ProfileOf(version);
        ocrtables::GlyphSet glyphs = ocrtables::RenderGlyphs(family, profile, codes);
        if (glyphs.glyphs.empty()) {
            std::fprintf(stderr, "%s: the font does not fit a %d-pixel column\n", profile.tableFile,
                         profile.columnHeight);
            return 1;
        }
        // Two characters drawn alike cannot be told apart: keep the one the box needs.
        std::map<std::vector<std::string>, size_t> seen;
        std::vector<ocrtables::Glyph> kept;
        for (const auto& g : glyphs.glyphs) {
            auto it = seen.find(g.columns);
            if (it == seen.end()) {
                seen[g.columns] = kept.size();
                kept.push_back(g);
                continue;
            }
            ocrtables::Glyph& other = kept[it->second];
            bool replace = needed(g.code) && !needed(other.code);
            std::fprintf(stderr, "%s: '%s' and '%s' look alike; keeping '%s'\n", profile.tableFile,
                         qPrintable(QString(QChar(other.code))), qPrintable(QString(QChar(g.code))),
                         qPrintable(QString(QChar(replace ? g.code : other.code))));
            if (replace) other = g;
        }
        std::sort(kept.begin(), kept.end(), [](const auto& a, const auto& b) { return a.code < b.code; });
        glyphs.glyphs = kept;
        QString path = QString(argv[1]) + "/" + profile.tableFile;
        if (!writeTable(path, profile, glyphs)) return 1;
        std::fprintf(stderr, "%s: %zu characters, %s\n", qPrintable(path), glyphs.glyphs.size(),
                     glyphs.description.c_str());
    }
    return 0;
}
