#include "host/qt/qt_canvas.h"

#include <QBuffer>
#include <QFontMetrics>
#include <QImageReader>
#include <QSaveFile>
#include <algorithm>
#include <cstdlib>
#include <limits>

namespace host {

namespace {

constexpr int kFontPixels = 11;  // the size of a small dialog font

QRgb qrgb(Rgb c) { return qRgb(c.r, c.g, c.b); }
QColor qcolor(Rgb c) { return QColor(c.r, c.g, c.b); }

}  // namespace

QtCanvas::QtCanvas(int width, int height) {
    fontFace_.setFamily(QStringLiteral("DejaVu Sans"));
    fontFace_.setPixelSize(kFontPixels);
    resize(width, height);
}

QtCanvas::~QtCanvas() { endPainting(); }

void QtCanvas::resize(int width, int height) {
    endPainting();
    width = std::max(width, 1);
    height = std::max(height, 1);
    if (image_.width() != width || image_.height() != height) image_ = QImage(width, height, QImage::Format_RGB32);
    image_.fill(qRgb(255, 255, 255));
}

QPainter& QtCanvas::painter() {
    if (!painter_) {
        painter_ = std::make_unique<QPainter>(&image_);
        painter_->setRenderHint(QPainter::Antialiasing, false);
        painter_->setFont(fontFace_);
    }
    return *painter_;
}

void QtCanvas::endPainting() const {
    if (painter_) {
        painter_->end();
        painter_.reset();
    }
}

const QImage& QtCanvas::image() const {
    endPainting();
    return image_;
}

void QtCanvas::setImage(const QImage& image) {
    endPainting();
    image_ = image.convertToFormat(QImage::Format_RGB32);
}

std::unique_ptr<Canvas> QtCanvasFactory::decodeImage(std::string_view bytes) {
    if (bytes.size() > static_cast<size_t>(std::numeric_limits<int>::max())) return nullptr;
    QByteArray data = QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()));
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    // The size from the header first: nothing is unpacked for a picture too large.
    const QSize size = reader.size();
    if (!size.isValid() || size.width() > kMaxDecodedSide || size.height() > kMaxDecodedSide) return nullptr;
    QImage decoded = reader.read();
    if (decoded.isNull()) return nullptr;
    // Transparent parts show white, as on paper.
    QImage opaque(decoded.size(), QImage::Format_RGB32);
    opaque.fill(Qt::white);
    QPainter(&opaque).drawImage(0, 0, decoded);
    auto canvas = std::make_unique<QtCanvas>(1, 1);
    canvas->setImage(opaque);
    return canvas;
}

void QtCanvas::hline(int x1, int x2, int y, QRgb colour) {
    if (y < 0 || y >= image_.height()) return;
    x1 = std::max(x1, 0);
    x2 = std::min(x2, image_.width() - 1);
    if (x1 > x2) return;
    auto* row = reinterpret_cast<QRgb*>(image_.scanLine(y));
    std::fill(row + x1, row + x2 + 1, colour);
}

void QtCanvas::vline(int x, int y1, int y2, QRgb colour) {
    if (x < 0 || x >= image_.width()) return;
    y1 = std::max(y1, 0);
    y2 = std::min(y2, image_.height() - 1);
    for (int y = y1; y <= y2; ++y) reinterpret_cast<QRgb*>(image_.scanLine(y))[x] = colour;
}

void QtCanvas::fillRect(int x1, int y1, int x2, int y2, Rgb colour) {
    if (x2 < x1) std::swap(x1, x2);
    if (y2 < y1) std::swap(y1, y2);
    QRgb c = qrgb(colour);
    for (int y = std::max(y1, 0); y < std::min(y2, image_.height()); ++y) hline(x1, x2 - 1, y, c);
}

void QtCanvas::line(int x1, int y1, int x2, int y2) {
    const int w = image_.width(), h = image_.height();
    // Entirely beside the bitmap: nothing to do.
    if ((x1 < 0 && x2 < 0) || (y1 < 0 && y2 < 0) || (x1 >= w && x2 >= w) || (y1 >= h && y2 >= h)) return;
    const long dx = std::labs(long(x2) - x1), dy = std::labs(long(y2) - y1);
    // Wide pens, and long lines that mostly run outside, are QPainter's.
    if (penWidth_ > 1 || dx + dy > 4L * (w + h)) {
        QPen pen(qcolor(pen_));
        pen.setWidth(penWidth_);
        pen.setCapStyle(Qt::RoundCap);
        painter().setPen(pen);
        painter().drawLine(x1, y1, x2, y2);
        return;
    }
    // Bresenham; like a pen moved to the end point, the end pixel is left out.
    const QRgb c = qrgb(pen_);
    const int sx = x1 < x2 ? 1 : -1, sy = y1 < y2 ? 1 : -1;
    long err = dx - dy;
    int x = x1, y = y1;
    while (x != x2 || y != y2) {
        if (x >= 0 && y >= 0 && x < w && y < h) reinterpret_cast<QRgb*>(image_.scanLine(y))[x] = c;
        long e2 = 2 * err;
        if (e2 > -dy) {
            err -= dy;
            x += sx;
        }
        if (e2 < dx) {
            err += dx;
            y += sy;
        }
    }
}

void QtCanvas::rectangle(int x1, int y1, int x2, int y2) {
    if (x2 < x1) std::swap(x1, x2);
    if (y2 < y1) std::swap(y1, y2);
    if (x2 - x1 < 1 || y2 - y1 < 1) return;
    if (penWidth_ > 1) {
        QPen pen(qcolor(pen_));
        pen.setWidth(penWidth_);
        pen.setJoinStyle(Qt::MiterJoin);
        painter().setPen(pen);
        painter().setBrush(qcolor(brush_));
        painter().drawRect(x1, y1, x2 - x1 - 1, y2 - y1 - 1);
        return;
    }
    const QRgb outline = qrgb(pen_), inside = qrgb(brush_);
    hline(x1, x2 - 1, y1, outline);
    hline(x1, x2 - 1, y2 - 1, outline);
    vline(x1, y1, y2 - 1, outline);
    vline(x2 - 1, y1, y2 - 1, outline);
    for (int y = y1 + 1; y < y2 - 1; ++y) hline(x1 + 1, x2 - 2, y, inside);
}

void QtCanvas::ellipse(int x1, int y1, int x2, int y2) {
    if (x2 < x1) std::swap(x1, x2);
    if (y2 < y1) std::swap(y1, y2);
    QPen pen(qcolor(pen_));
    pen.setWidth(penWidth_);
    painter().setPen(pen);
    painter().setBrush(qcolor(brush_));
    painter().drawEllipse(QRect(x1, y1, x2 - x1 - 1, y2 - y1 - 1));
}

void QtCanvas::text(int x, int y, const std::string& text) {
    QString t = QString::fromStdString(text);
    QPainter& p = painter();
    QFontMetrics m(fontFace_);
    QRect box(x, y, m.horizontalAdvance(t), m.height());
    p.fillRect(box, qcolor(brush_));
    p.setPen(qcolor(font_));
    p.drawText(x, y + m.ascent(), t);
}

int QtCanvas::textWidth(const std::string& text) const {
    return QFontMetrics(fontFace_).horizontalAdvance(QString::fromStdString(text));
}

void QtCanvas::setPixel(int x, int y, Rgb colour) {
    if (x < 0 || y < 0 || x >= image_.width() || y >= image_.height()) return;
    reinterpret_cast<QRgb*>(image_.scanLine(y))[x] = qrgb(colour);
}

Rgb QtCanvas::pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= image_.width() || y >= image_.height()) return Rgb{255, 255, 255};
    QRgb c = reinterpret_cast<const QRgb*>(image_.constScanLine(y))[x];
    return Rgb{static_cast<std::uint8_t>(qRed(c)), static_cast<std::uint8_t>(qGreen(c)),
               static_cast<std::uint8_t>(qBlue(c))};
}

void QtCanvas::draw(int x, int y, const Canvas& source, std::optional<Rgb> transparent) {
    const auto* from = dynamic_cast<const QtCanvas*>(&source);
    if (!from || from == this) return;
    const QImage& src = from->image();
    const QRgb key = transparent ? qrgb(*transparent) : 0;
    for (int sy = 0; sy < src.height(); ++sy) {
        int ty = y + sy;
        if (ty < 0 || ty >= image_.height()) continue;
        const auto* in = reinterpret_cast<const QRgb*>(src.constScanLine(sy));
        auto* out = reinterpret_cast<QRgb*>(image_.scanLine(ty));
        for (int sx = 0; sx < src.width(); ++sx) {
            int tx = x + sx;
            if (tx < 0 || tx >= image_.width()) continue;
            if (transparent && (in[sx] | 0xff000000u) == (key | 0xff000000u)) continue;
            out[tx] = in[sx];
        }
    }
}

std::string QtCanvas::save(const std::string& path, ImageFormat format) const {
    endPainting();
    QSaveFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::WriteOnly)) return file.errorString().toStdString();
    const char* kind = format == ImageFormat::Png ? "PNG" : "BMP";
    if (!image_.save(&file, kind)) {
        file.cancelWriting();
        return "the picture could not be written as " + std::string(kind);
    }
    if (!file.commit()) return file.errorString().toStdString();
    return {};
}

}  // namespace host
