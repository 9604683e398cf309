#include "tools/ocr-tables/glyphs.h"

#include <QFontMetrics>
#include <QPainter>
#include <QStringList>

#include <algorithm>

namespace ocrtables {

namespace {

constexpr int kWorkHeight = 48;
constexpr int kWorkBaseline = 32;
constexpr int kLongestLine = 29;  // "Breedtegraad: N 52° 05' 12.3\""

QFont fontOf(const QString& family, int pixelSize) {
    QFont f(family);
    f.setPixelSize(pixelSize);
    f.setStyleStrategy(QFont::StyleStrategy(QFont::NoAntialias | QFont::NoSubpixelAntialias));
    f.setHintingPreference(QFont::PreferFullHinting);
    return f;
}

// One character drawn black on white in a cell of the advance's width.
QImage drawCell(const QFont& font, int cellWidth, int code) {
    QImage image(cellWidth, kWorkHeight, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setRenderHint(QPainter::TextAntialiasing, false);
    p.setFont(font);
    p.setPen(Qt::black);
    p.drawText(0, kWorkBaseline, QString(QChar(code)));
    return image;
}

bool ink(const QImage& image, int x, int y) { return qGray(image.pixel(x, y)) < 128; }

capture::Image toCaptureImage(const QImage& image) {
    capture::Image out(image.width(), image.height());
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) out.set(x, y, image.pixel(x, y) & 0xFFFFFF);
    return out;
}

}  // namespace

FontChoice ChooseFont(const QString& family, const capture::OcrProfile& profile, const std::vector<int>& codes) {
    int maxCell = std::min(capture::kMaxOcrColumns, profile.width / kLongestLine);
    for (int size = 16; size >= 6; --size) {
        QFont font = fontOf(family, size);
        int cell = QFontMetrics(font).horizontalAdvance(QChar('0'));
        if (cell < 1 || cell > maxCell) continue;
        int top = kWorkHeight, bottom = -1;
        for (int code : codes) {
            QImage cellImage = drawCell(font, cell, code);
            for (int y = 0; y < kWorkHeight; ++y)
                for (int x = 0; x < cell; ++x)
                    if (ink(cellImage, x, y)) {
                        top = std::min(top, y);
                        bottom = std::max(bottom, y);
                    }
        }
        if (bottom < 0 || bottom - top + 1 > profile.columnHeight) continue;
        FontChoice choice;
        choice.font = font;
        choice.pixelSize = size;
        choice.cellWidth = cell;
        choice.belowBase = bottom - kWorkBaseline;
        return choice;
    }
    return {};
}

GlyphSet RenderGlyphs(const QString& family, const capture::OcrProfile& profile, const std::vector<int>& codes) {
    GlyphSet set;
    FontChoice choice = ChooseFont(family, profile, codes);
    if (!choice.valid()) return set;
    set.description = family.toStdString() + ", " + std::to_string(choice.pixelSize) + " px, cell " +
                      std::to_string(choice.cellWidth) + " px, no antialiasing";
    for (int code : codes) {
        QStringList line{QString(QChar(code))};
        capture::Image box = toCaptureImage(DrawBox(choice, profile, line, 1));
        capture::ReducedImage reduced = capture::Reduce(box, profile);
        Glyph g{code, {}};
        for (int k = 1; k <= choice.cellWidth; ++k)
            g.columns.push_back(capture::ColumnString(reduced, k, capture::kLineSpacing, profile.columnHeight));
        set.glyphs.push_back(g);
    }
    return set;
}

QImage DrawBox(const FontChoice& font, const capture::OcrProfile& profile, const QStringList& lines, int firstColumn) {
    QImage image(profile.width, profile.height, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setRenderHint(QPainter::TextAntialiasing, false);
    p.setFont(font.font);
    p.setPen(Qt::black);
    for (int i = 0; i < lines.size() && i < capture::kMaxOcrLines; ++i) {
        int baseline = capture::kLineSpacing * (i + 1) - font.belowBase;
        int x = firstColumn - 1;
        for (QChar c : lines[i]) {
            // Each character in its own cell, as the table holds it.
            p.setClipRect(x, 0, font.cellWidth, profile.height);
            p.drawText(x, baseline, QString(c));
            x += font.cellWidth;
        }
    }
    return image;
}

}  // namespace ocrtables
