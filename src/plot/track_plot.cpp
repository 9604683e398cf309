#include "plot/track_plot.h"

#include <cmath>

#include "core/fn.h"
#include "core/text.h"

namespace plot {

using namespace colours;

namespace {

constexpr long double kDegreesPerRadian = 57.295779513082320877L;
constexpr int kCompassMargin = 10;     // from the plot's right edge
constexpr int kCompassTop = 20;
constexpr int kCompassEvery = 1000;    // points between compass and status updates while drawing at speed
constexpr int kSlowPauseMs = 100;

std::string statusText(int i, int n, const core::PointRecord& p, char sep) {
    return std::to_string(i) + " of " + std::to_string(n) + ": " + GeneralNumber(p.lat, sep) + "  " +
           GeneralNumber(p.lon, sep);
}

}  // namespace

std::unique_ptr<host::Canvas> MakeCompass(host::CanvasFactory& canvases, int bearingDeg) {
    auto b = canvases.createCanvas(kCompassSize, kCompassSize);
    b->fillRect(0, 0, 50, 50, kCompassBackground);
    b->setPen(kBlack, 3);
    b->setBrush(kCompassFace);
    b->ellipse(1, 1, kCompassSize - 1, kCompassSize - 1);
    b->setPen(kRed, 4);
    b->setBrush(kRed);
    const int c = b->width() / 2;
    const long double d = bearingDeg / kDegreesPerRadian;
    // North up, east to the right: y grows downward, hence 2 - c.
    b->line(c, c, c + RoundPx(std::sin(d) * (c - 2)), c + RoundPx(std::cos(d) * (2 - c)));
    return b;
}

void ShowDirection(int bearingDeg, host::CanvasFactory& canvases, host::Canvas* compas, host::Rgb compasBackground,
                   host::Canvas* plotImage) {
    std::unique_ptr<host::Canvas> b = MakeCompass(canvases, bearingDeg);
    // The yellow corners are left out, so the round face sits on the picture.
    if (compas) {
        compas->fillRect(0, 0, 50, 50, compasBackground);
        compas->draw(0, 0, *b, kCompassBackground);
    }
    if (plotImage)
        plotImage->draw(plotImage->width() - kCompassSize - kCompassMargin, kCompassTop, *b, kCompassBackground);
}

core::Result PlotTrack(const core::PointList& pts, PlotState& s, const PlotControls& c, PlotEnv& env) {
    host::Canvas& img = env.image;
    const int h = img.height();
    const int mx = RoundPx(img.width() * 0.05L), my = RoundPx(h * 0.05L);
    img.setPen(kBlue, 1);
    const int n = pts.count();
    if (n == 0) return core::Result::nothingToDo();
    const char sep = env.locale.decimalSeparator();
    const bool texts = c.cbShowNames || c.cbShowHeight;

    // One point's drawing. The last point is drawn once more over the final
    // compass, since in the picture it lies over the compass drawn before it.
    struct Placed {
        int i = 0, x = 0, y = 0, fromX = 0, fromY = 0;
        bool line = false, track = true;
        host::Rgb outline;
    };
    auto draw = [&](const core::PointRecord& p, const Placed& q) {
        if (q.line) {
            img.setPen(kRed, 1);
            img.line(q.fromX, q.fromY, q.x, q.y);
        }
        if (q.track) {
            img.setPen(q.outline, 1);
            img.setBrush(kWhite);
            img.rectangle(q.x - 2, q.y - 2, q.x + 2, q.y + 2);
        } else {
            img.setPen(kGreen, 1);
            img.setBrush(kGreen);
            img.ellipse(q.x - 4, q.y - 4, q.x + 4, q.y + 4);
        }
        img.setBrush(kWhite);
        img.setFontColour(kBlack);
        img.setPen(kBlue, 1);
        if (c.cbShowNames) img.text(q.x + 4, q.y - 6, std::to_string(q.i) + "  " + p.name.str() + " ");
        if (c.cbShowHeight) img.text(q.x - 8, q.y - 14, std::to_string(RoundPx(p.ele)) + " m");
    };
    auto compass = [&](long double lat1, long double lon1, const core::PointRecord& p) {
        ShowDirection(RoundPx(core::Bearing(lat1, lon1, p.lat, p.lon)), env.canvases, env.compas,
                      env.compasBackground, &img);
    };

    long double prevLat = pts[1].lat, prevLon = pts[1].lon, lastFromLat = prevLat, lastFromLon = prevLon;
    int prevX = 0, prevY = 0;
    bool firstLine = true;
    Placed last;
    bool lastWasSquare = false;
    for (int i = 1; i <= n; ++i) {
        const core::PointRecord& p = pts[i];
        if (c.cbSlow || i % kCompassEvery == 0) compass(prevLat, prevLon, p);
        lastFromLat = prevLat;
        lastFromLon = prevLon;
        prevLat = p.lat;
        prevLon = p.lon;

        long double lon = p.lon < s.minLon ? p.lon + 360 : p.lon;
        Placed q;
        q.i = i;
        q.x = RoundPx((lon - s.minLon) / s.plotScale) + mx;
        q.y = h - my - RoundPx((p.lat - s.minLat) / s.plotScale);
        q.fromX = prevX;
        q.fromY = prevY;
        q.track = p.sym.empty();
        if (c.cbConnect && q.track) {
            q.line = !firstLine;
            firstLine = false;
        }
        q.outline = q.track ? (c.cbHeightColor ? GetColor(s, RoundPx(p.ele)) : kBlue) : kGreen;
        // A track point on the very square drawn last changes no pixel.
        bool same = lastWasSquare && q.track && !texts && q.x == prevX && q.y == prevY && q.outline == last.outline;
        if (!same) draw(p, q);
        lastWasSquare = q.track;
        last = q;
        prevX = q.x;
        prevY = q.y;

        if (c.cbSlow) {
            if (env.status) env.status(statusText(i, n, p, sep));
            if (env.pause) env.pause(kSlowPauseMs);
            if (env.pictureChanged) env.pictureChanged();
            if (!env.op.yieldNow()) return core::Result::cancelled();
        } else if (i % core::kYieldEvery == 0) {
            // The status line repaints at once: a thousand texts are plenty.
            if (env.status && i % kCompassEvery == 0) env.status(statusText(i, n, p, sep));
            if (env.pictureChanged) env.pictureChanged();
            if (!env.op.step(i, n)) return core::Result::cancelled();
        }
    }
    compass(lastFromLat, lastFromLon, pts[n]);
    draw(pts[n], last);
    if (env.status) env.status(statusText(n, n, pts[n], sep));
    if (env.pictureChanged) env.pictureChanged();
    return core::Result::done();
}

core::Result mPlotpointsClick(PlotData& d, PlotEnv& env) {
    core::Document& doc = d.doc;
    const core::NodeId focus = doc.focused();
    if (focus == core::kNoNode) return core::Result::nothingToDo();
    if (env.showPage) env.showPage();
    DetermineBounds(d.state, doc, d.loader, d.points, d.report);
    if (doc.plotMode != kPlotPoints) {
        doc.plotMode = kPlotPoints;
        core::Result r = InitBitmap(d.state, d.controls, kPlotPoints, env.image, env.imageWidth, env.imageHeight,
                                    env.locale);
        if (r.isFailed()) {
            // The canvas was not prepared: the next plot must start afresh.
            doc.plotMode = kPlotNothing;
            return r;
        }
    }
    d.points.reset();
    for (core::NodeId node = focus; node != core::kNoNode && doc.getLevel(node) > 1; node = doc.parent(node)) {
        const core::NodeRole role = doc.roleOf(node);
        if (node == doc.trackpoints()) {
            for (core::NodeId trk = doc.firstChild(node); trk != core::kNoNode; trk = doc.nextSibling(trk)) {
                d.points.reset();
                d.loader.ShowTrack(d.points, trk);
                core::Result r = PlotTrack(d.points, d.state, d.controls, env);
                if (r.isCancelled()) return r;
            }
            return core::Result::done();
        }
        if (role == core::NodeRole::Track) {
            d.points.reset();
            d.loader.ShowTrack(d.points, node);
            break;
        }
        if (role == core::NodeRole::Route) {
            d.points.reset();
            d.loader.ShowRoute(d.points, node);
        } else if (node == doc.waypoints()) {
            d.points.reset();
            d.loader.ShowWaypoints(d.points);
        }
    }
    if (d.points.count() == 0) return core::Result::nothingToDo();
    return PlotTrack(d.points, d.state, d.controls, env);
}

}  // namespace plot
