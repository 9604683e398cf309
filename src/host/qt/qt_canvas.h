#pragma once
// The drawing canvas on a QImage. Thin lines, rectangles and fills are
// written straight into the pixels (a plot draws a million of them); wide
// pens, ellipses and text go through QPainter.

#include <QFont>
#include <QImage>
#include <QPainter>
#include <memory>

#include "host/host.h"

namespace host {

class QtCanvas : public Canvas {
public:
    QtCanvas(int width, int height);
    ~QtCanvas() override;

    int width() const override { return image_.width(); }
    int height() const override { return image_.height(); }
    void resize(int width, int height) override;

    void setPen(Rgb colour, int width) override {
        pen_ = colour;
        penWidth_ = width < 1 ? 1 : width;
    }
    void setBrush(Rgb colour) override { brush_ = colour; }
    void setFontColour(Rgb colour) override { font_ = colour; }

    void fillRect(int x1, int y1, int x2, int y2, Rgb colour) override;
    void line(int x1, int y1, int x2, int y2) override;
    void rectangle(int x1, int y1, int x2, int y2) override;
    void ellipse(int x1, int y1, int x2, int y2) override;
    void text(int x, int y, const std::string& text) override;
    int textWidth(const std::string& text) const override;
    void setPixel(int x, int y, Rgb colour) override;
    Rgb pixel(int x, int y) const override;
    void draw(int x, int y, const Canvas& source, std::optional<Rgb> transparent) override;
    std::string save(const std::string& path, ImageFormat format) const override;

    // The picture for widgets; painting on it is finished first.
    const QImage& image() const;
    // Takes over a picture, as it stands, in the canvas's own pixel format.
    void setImage(const QImage& image);

private:
    QPainter& painter();
    void endPainting() const;
    void hline(int x1, int x2, int y, QRgb colour);
    void vline(int x, int y1, int y2, QRgb colour);

    mutable QImage image_;
    mutable std::unique_ptr<QPainter> painter_;
    QFont fontFace_;
    Rgb pen_{0, 0, 0}, brush_{255, 255, 255}, font_{0, 0, 0};
    int penWidth_ = 1;
};

class QtCanvasFactory : public CanvasFactory {
public:
    std::unique_ptr<Canvas> createCanvas(int width, int height) override {
        return std::make_unique<QtCanvas>(width, height);
    }
    std::unique_ptr<Canvas> decodeImage(std::string_view bytes) override;
};

}  // namespace host
