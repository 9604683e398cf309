#pragma once
// A canvas for tests that draws nothing and records every call with the pen,
// brush and font colour in force, and a factory that keeps the recordings of
// every canvas it made (they outlive the canvases).

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "host/host.h"

namespace host {

struct CanvasCall {
    enum Kind { Resize, FillRect, Line, Rectangle, Ellipse, Text, SetPixel, Draw };
    Kind kind;
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0;  // Draw: x1, y1 the target corner
    std::string text;
    Rgb pen, brush, font, colour;  // colour: FillRect and SetPixel
    int penWidth = 1;
    int source = -1;                 // Draw: index of the source's recording in the factory, else -1
    std::optional<Rgb> transparent;  // Draw
};

struct CanvasRecording {
    int width = 0, height = 0;
    std::vector<CanvasCall> calls;

    std::vector<CanvasCall> of(CanvasCall::Kind kind) const;
};

class FakeCanvas : public Canvas {
public:
    FakeCanvas(int width, int height, int index = -1);
    // The recording, shared with the factory that made this canvas.
    const CanvasRecording& recording() const { return *recording_; }
    std::shared_ptr<CanvasRecording> sharedRecording() const { return recording_; }
    int index() const { return index_; }
    void clear() { recording_->calls.clear(); }

    int width() const override { return recording_->width; }
    int height() const override { return recording_->height; }
    void resize(int width, int height) override;
    void setPen(Rgb colour, int width) override {
        pen_ = colour;
        penWidth_ = width;
    }
    void setBrush(Rgb colour) override { brush_ = colour; }
    void setFontColour(Rgb colour) override { font_ = colour; }
    void fillRect(int x1, int y1, int x2, int y2, Rgb colour) override;
    void line(int x1, int y1, int x2, int y2) override { add(CanvasCall::Line, x1, y1, x2, y2); }
    void rectangle(int x1, int y1, int x2, int y2) override { add(CanvasCall::Rectangle, x1, y1, x2, y2); }
    void ellipse(int x1, int y1, int x2, int y2) override { add(CanvasCall::Ellipse, x1, y1, x2, y2); }
    void text(int x, int y, const std::string& text) override;
    // Every character (code point) counts kFakeCharWidth pixels.
    static constexpr int kFakeCharWidth = 6;
    int textWidth(const std::string& text) const override;
    void setPixel(int x, int y, Rgb colour) override;
    Rgb pixel(int x, int y) const override;
    void draw(int x, int y, const Canvas& source, std::optional<Rgb> transparent) override;
    std::string save(const std::string& path, ImageFormat format) const override;

    // What save() answers; empty for success.
    std::string saveError;
    mutable std::vector<std::pair<std::string, ImageFormat>> saved;

private:
    CanvasCall& add(CanvasCall::Kind kind, int x1, int y1, int x2, int y2);

    std::shared_ptr<CanvasRecording> recording_;
    int index_;
    Rgb pen_{0, 0, 0}, brush_{255, 255, 255}, font_{0, 0, 0};
    int penWidth_ = 1;
};

// The bytes of a picture FakeCanvasFactory::decodeImage reads.
inline std::string FakePicture(int width, int height) {
    return "fake picture " + std::to_string(width) + "x" + std::to_string(height);
}

class FakeCanvasFactory : public CanvasFactory {
public:
    std::unique_ptr<Canvas> createCanvas(int width, int height) override;
    // Reads only the fake pictures FakePicture makes: "fake picture WxH".
    std::unique_ptr<Canvas> decodeImage(std::string_view bytes) override;
    std::vector<std::shared_ptr<CanvasRecording>> made;
};

}  // namespace host
