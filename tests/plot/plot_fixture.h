#pragma once
// A document, a recording canvas and the plot environment around them.

#include <gtest/gtest.h>

#include "../core/tree_fixture.h"
#include "host/fake/fake_canvas.h"
#include "plot/plot_canvas.h"

struct PlotFixture : TreeFixture {
    plot::PlotState state;
    plot::PlotControls controls;
    host::FakeCanvas image{0, 0};
    host::FakeCanvasFactory canvases;
    core::Operation op;
    std::vector<std::string> statusLines;
    core::PointLoader pointLoader = loader();
    plot::PlotData data{doc, pointLoader, points, state, controls, [](const std::string&) {}};

    plot::PlotEnv env(int width = 1000, int height = 1000) {
        plot::PlotEnv e{image,
                        width,
                        height,
                        canvases,
                        host.fakeLocale,
                        host.fakePrompts,
                        op,
                        [](int n) {
                            switch (n) {
                                case 20: return std::string("no points");
                                case 21: return std::string("Distance:");
                                case 23: return std::string("Day(s):");
                                case 24: return std::string("hours:");
                                case 25: return std::string("Total distance:");
                                case 26: return std::string("Maximum altitude:");
                            }
                            return std::string("?");
                        },
                        [this](const std::string& s) { statusLines.push_back(s); }};
        return e;
    }

    // Calls of one kind drawn with a given pen colour.
    std::vector<host::CanvasCall> drawn(host::CanvasCall::Kind kind, host::Rgb pen) const {
        std::vector<host::CanvasCall> out;
        for (const auto& c : image.recording().calls)
            if (c.kind == kind && c.pen == pen) out.push_back(c);
        return out;
    }
    std::vector<std::string> texts() const {
        std::vector<std::string> out;
        for (const auto& c : image.recording().of(host::CanvasCall::Text)) out.push_back(c.text);
        return out;
    }
    const host::CanvasCall* textCall(const std::string& text) const {
        for (const auto& c : image.recording().calls)
            if (c.kind == host::CanvasCall::Text && c.text == text) return &c;
        return nullptr;
    }
};

inline bool operator==(const host::CanvasCall& c, const std::array<int, 4>& box) {
    return c.x1 == box[0] && c.y1 == box[1] && c.x2 == box[2] && c.y2 == box[3];
}
