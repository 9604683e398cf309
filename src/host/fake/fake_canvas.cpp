#include "host/fake/fake_canvas.h"

#include <cstdio>

namespace host {

std::vector<CanvasCall> CanvasRecording::of(CanvasCall::Kind kind) const {
    std::vector<CanvasCall> out;
    for (const auto& c : calls)
        if (c.kind == kind) out.push_back(c);
    return out;
}

FakeCanvas::FakeCanvas(int width, int height, int index)
    : recording_(std::make_shared<CanvasRecording>()), index_(index) {
    recording_->width = width;
    recording_->height = height;
}

CanvasCall& FakeCanvas::add(CanvasCall::Kind kind, int x1, int y1, int x2, int y2) {
    CanvasCall c;
    c.kind = kind;
    c.x1 = x1;
    c.y1 = y1;
    c.x2 = x2;
    c.y2 = y2;
    c.pen = pen_;
    c.brush = brush_;
    c.font = font_;
    c.penWidth = penWidth_;
    recording_->calls.push_back(c);
    return recording_->calls.back();
}

void FakeCanvas::resize(int width, int height) {
    recording_->width = width;
    recording_->height = height;
    add(CanvasCall::Resize, 0, 0, width, height);
}

void FakeCanvas::fillRect(int x1, int y1, int x2, int y2, Rgb colour) {
    add(CanvasCall::FillRect, x1, y1, x2, y2).colour = colour;
}

void FakeCanvas::text(int x, int y, const std::string& text) { add(CanvasCall::Text, x, y, x, y).text = text; }

void FakeCanvas::setPixel(int x, int y, Rgb colour) { add(CanvasCall::SetPixel, x, y, x, y).colour = colour; }

Rgb FakeCanvas::pixel(int x, int y) const {
    // The last pixel set there, else white: nothing else is rendered.
    for (auto c = recording_->calls.rbegin(); c != recording_->calls.rend(); ++c)
        if (c->kind == CanvasCall::SetPixel && c->x1 == x && c->y1 == y) return c->colour;
    return Rgb{255, 255, 255};
}

void FakeCanvas::draw(int x, int y, const Canvas& source, std::optional<Rgb> transparent) {
    auto& c = add(CanvasCall::Draw, x, y, x + source.width(), y + source.height());
    if (const auto* f = dynamic_cast<const FakeCanvas*>(&source)) c.source = f->index();
    c.transparent = transparent;
}

std::string FakeCanvas::save(const std::string& path, ImageFormat format) const {
    saved.emplace_back(path, format);
    return saveError;
}

std::unique_ptr<Canvas> FakeCanvasFactory::createCanvas(int width, int height) {
    auto c = std::make_unique<FakeCanvas>(width, height, static_cast<int>(made.size()));
    made.push_back(c->sharedRecording());
    return c;
}

int FakeCanvas::textWidth(const std::string& text) const {
    int chars = 0;
    for (unsigned char c : text) chars += (c & 0xC0) != 0x80;
    return chars * kFakeCharWidth;
}

std::unique_ptr<Canvas> FakeCanvasFactory::decodeImage(std::string_view bytes) {
    int width = 0, height = 0;
    char tail = 0;
    if (std::sscanf(std::string(bytes).c_str(), "fake picture %dx%d%c", &width, &height, &tail) != 2 ||
        width < 1 || height < 1 || width > kMaxDecodedSide || height > kMaxDecodedSide)
        return nullptr;
    return createCanvas(width, height);
}

}  // namespace host
