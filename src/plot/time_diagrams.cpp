#include "plot/time_diagrams.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "core/fn.h"
#include "core/great_circle.h"
#include "core/text.h"

namespace plot {

using namespace colours;

namespace {

constexpr int kSlowPauseMs = 50;
constexpr long kMaxScaleLines = 10000;  // horizontal lines of a diagram's scale
constexpr long double kMinPerPixel = 0.0001L;
constexpr long long kMaxMinutes = 10000000000LL;  // some 19000 years: beyond it no time lines

long double orMinimum(long double v) { return v == 0 ? kMinPerPixel : v; }

// Great-circle steps along the records, on the program's sphere.
class Walker {
public:
    explicit Walker(const core::PointRecord& first) : walk_(first.lat, first.lon) {}
    long double stepKm(const core::PointRecord& p) { return walk_.stepKm(p.lat, p.lon); }

private:
    core::GreatCircleWalk walk_;
};

long double totalKm(const core::PointList& pts) {
    Walker w(pts[1]);
    long double s = 0;
    for (int i = 1; i <= pts.count(); ++i) s += w.stepKm(pts[i]);
    return s;
}

// Pacing of a drawing loop: a pause per point when plotting slowly,
// otherwise the operation's own rhythm. False once cancelled.
bool pace(PlotEnv& env, bool slow, int i, int n) {
    if (slow) {
        if (env.pause) env.pause(kSlowPauseMs);
        if (env.pictureChanged) env.pictureChanged();
        return env.op.yieldNow();
    }
    if (i % core::kYieldEvery != 0) return !env.op.cancelled();
    if (env.pictureChanged) env.pictureChanged();
    return env.op.step(i, n);
}

core::Result noPoints(PlotEnv& env) { return core::Result::nothingToDo(env.message ? env.message(20) : ""); }

// Speed in km/h over a step, 0 for a step without elapsed time; a gap of
// more than a day counts as none.
long double stepSeconds(long double dtDays) { return dtDays > 1 ? 0 : dtDays * 86400; }

}  // namespace

core::Result PlotTimeWay(const core::PointList& pts, PlotState& s, const PlotControls& c, PlotEnv& env) {
    const int n = pts.count();
    if (n == 0) return noPoints(env);
    host::Canvas& img = env.image;
    const int w = img.width(), h = img.height();
    const char sep = env.locale.decimalSeparator();
    const long double t0 = pts[1].time, tN = pts[n].time, span = tN - t0;
    // Points without a time (0) or running back in time have no elapsed
    // time to draw: the diagram says so rather than show a negative span.
    int untimed = 0;
    for (int i = 1; i <= n; ++i) untimed += pts[i].time == 0;
    if (untimed > 0 || !(span >= 0)) {
        std::string why = untimed > 0 ? std::to_string(untimed) + " of the " + std::to_string(n) +
                                             " points have no time: there is no time to plot"
                                       : "The points run back in time: there is no elapsed time to plot";
        img.setBrush(kWhite);
        img.setFontColour(kBlack);
        img.text(120, 25, why);
        if (env.pictureChanged) env.pictureChanged();
        return core::Result::nothingToDo(why);
    }
    const long long days = std::isfinite(span) ? static_cast<long long>(std::trunc(span)) : 0;
    const long long minutes = std::isfinite(span) ? RoundPx((span - days) * 24 * 60) : 0;
    img.setBrush(kWhite);
    img.setFontColour(kBlack);
    img.text(120, 25, env.message(23) + " " + std::to_string(days) + "  " + env.message(24) + " " +
                          core::ZeroPad(minutes / 60, 2) + ":" + core::ZeroPad(minutes % 60, 2));

    const long double kmPerPixel = orMinimum(totalKm(pts) / w);
    const long double daysPerPixel = orMinimum(span / h);

    // A grey line with date and time at every interval of the span.
    img.setPen(kGrey, 1);
    const long long total = days * 1440 + minutes;
    if (total < kMaxMinutes) {
        long long step = total > 5000000 ? 10000 : total > 500000 ? 1000 : 1;
        long long interval = total > 1440 ? total / 24 : 15;
        interval = interval / 60 * 60;
        if (interval == 0) interval = 1;
        for (long long m = 0; m < total; m += step) {
            if (m % interval != 1) continue;
            int y = h - RoundPx((m / 1440.0L) / daysPerPixel);
            img.line(0, y, w, y);
            core::DateTimeParts t = core::DecodeDateTime(t0 + m / 1440.0L);
            img.text(5, y - 7, env.locale.formatShortDate(t.year, t.month, t.day) + "  " +
                                   core::ZeroPad(t.hour, 2) + ":" + core::ZeroPad(t.minute, 2));
        }
    }

    img.setPen(kBlue, 1);
    Walker walk(pts[1]);
    long double dist = 0, elapsed = 0, prevTime = t0;
    int prevX = 0, prevY = 0;
    for (int i = 1; i <= n; ++i) {
        const core::PointRecord& p = pts[i];
        dist += walk.stepKm(p);
        elapsed += p.time - prevTime;
        const int x = RoundPx(dist / kmPerPixel), y = RoundPx(elapsed / daysPerPixel);
        img.line(prevX, h - prevY, x, h - y);  // in the pen the previous point left
        img.setPen(c.cbHeightColor ? GetColor(s, RoundPx(p.ele)) : kBlue, 1);
        img.rectangle(x - 2, h - y - 2, x + 2, h - y + 2);
        if (c.cbShowNames) img.text(x + 4, h - y - 6, std::to_string(i));
        if (!pace(env, c.cbSlow, i, n)) return core::Result::cancelled();
        prevTime = p.time;
        prevX = x;
        prevY = y;
    }
    img.text(120, 10, env.message(21) + " " + FixedTwo(dist, sep) + " km");
    if (env.pictureChanged) env.pictureChanged();
    return core::Result::done();
}

core::Result PlotTimeHeight(const core::PointList& pts, PlotState& s, PlotControls& c, PlotEnv& env) {
    const int n = pts.count();
    if (n == 0) return noPoints(env);
    host::Canvas& img = env.image;
    const int w = img.width(), h = img.height();
    const char sep = env.locale.decimalSeparator();
    const long double kmPerPixel = orMinimum(totalKm(pts) / w);
    if (s.minAlt == s.maxAlt) s.maxAlt = s.minAlt + 2;
    std::optional<int> maxHeight = StrToIntStrict(c.edit1);
    if (!maxHeight) return core::Result::failed(NotAnInteger(c.edit1));
    if (*maxHeight < s.maxAlt) {
        maxHeight = (s.maxAlt / 10 + 1) * 10;
        c.edit1 = std::to_string(*maxHeight);
    }
    const long long top = static_cast<long long>(*maxHeight) + kHeightOffset;
    const long double mPerPixel = orMinimum(static_cast<long double>(top) / h);

    img.setPen(kGrey, 1);
    img.setBrush(kWhite);
    img.setFontColour(kBlack);
    const int zero = h - RoundPx(kHeightOffset / mPerPixel);
    img.line(0, zero, w, zero);
    long lines = 0;
    for (long long a = 0; a < top && lines < kMaxScaleLines; a += 25, ++lines) {
        const int y = h - RoundPx(a / mPerPixel);
        img.line(0, y, w, y);
        if (a == kHeightOffset) img.line(0, y - 1, w, y - 1);
        if ((a - kHeightOffset) % 100 == 0) img.text(5, y - 7, std::to_string(a - kHeightOffset) + " m");
    }

    img.setPen(kBlue, 1);
    Walker walk(pts[1]);
    long double dist = 0;
    int highest = 0, prevX = 0, prevY = 0;
    const int base = RoundPx(kHeightOffset / mPerPixel);
    for (int i = 1; i <= n; ++i) {
        const core::PointRecord& p = pts[i];
        dist += walk.stepKm(p);
        const int a = RoundPx(p.ele);
        if (a > highest) highest = a;
        const int x = RoundPx(dist / kmPerPixel), y = base + RoundPx(a / mPerPixel);
        if (i > 1) img.line(prevX, h - prevY, x, h - y);
        img.setPen(c.cbHeightColor ? GetColor(s, a) : kBlue, 1);
        img.rectangle(x - 2, h - y - 2, x + 2, h - y + 2);
        if (c.cbShowNames) img.text(x + 4, h - y - 6, std::to_string(i));
        if (c.cbShowHeight) img.text(x - 8, h - y - 14, std::to_string(a) + " m");
        if (!pace(env, c.cbSlow, i, n)) return core::Result::cancelled();
        prevX = x;
        prevY = y;
    }
    img.text(100, 5, env.message(25) + " " + FixedTwo(dist, sep) + " km");
    img.text(100, 18, env.message(26) + " " + std::to_string(highest) + " m");
    if (env.pictureChanged) env.pictureChanged();
    return core::Result::done();
}

core::Result PlotTimeSpeed(const core::PointList& pts, PlotState&, const PlotControls& c, PlotEnv& env) {
    const int n = pts.count();
    if (n == 0) return noPoints(env);
    host::Canvas& img = env.image;
    const int w = img.width(), h = img.height();
    const char sep = env.locale.decimalSeparator();

    // The scale's top: the highest smoothed speed over steps with elapsed time.
    long double smooth = 0, fastest = 0, total = 0;
    Walker first(pts[1]);
    first.stepKm(pts[1]);
    for (int k = 2; k <= n; ++k) {
        const long double d = first.stepKm(pts[k]) * 1000;
        total += d;
        const long double dt = stepSeconds(pts[k].time - pts[k - 1].time);
        if (dt != 0) {
            smooth = (3 * smooth + d / dt * 3.6L) / 4;
            if (smooth > fastest) fastest = smooth;
        }
    }
    const long long top = static_cast<long long>(RoundPx(fastest / 5)) * 5 + 10;
    const long double mPerPixel = orMinimum(total / w);
    const long double speedPerPixel = orMinimum(static_cast<long double>(top) / h);

    img.setPen(kGrey, 1);
    img.setBrush(kWhite);
    img.setFontColour(kBlack);
    long lines = 0;
    for (long long v = 0; v < top && lines < kMaxScaleLines; v += 5, ++lines) {
        const int y = h - RoundPx(v / speedPerPixel);
        img.line(0, y, w, y);
        if (v % 10 == 0) img.text(5, y - 7, std::to_string(v) + " km/h");
    }

    img.setPen(kBlue, 1);
    Walker walk(pts[1]);
    long double dist = 0;
    smooth = 0;
    int prevX = 0, prevY = 0;
    for (int i = 1; i <= n; ++i) {
        const core::PointRecord& p = pts[i];
        const long double d = walk.stepKm(p) * 1000;
        dist += d;
        const long double dt = i == 1 ? 0 : stepSeconds(p.time - pts[i - 1].time);
        const long double v = dt != 0 ? d / dt * 3.6L : 0;
        smooth = (3 * smooth + v) / 4;
        const int x = RoundPx(dist / mPerPixel), y = RoundPx(smooth / speedPerPixel);
        if (i > 1) img.line(prevX, h - prevY, x, h - y);
        img.rectangle(x - 2, h - y - 2, x + 2, h - y + 2);
        if (c.cbShowNames) img.text(x + 4, h - y - 6, std::to_string(i));
        if (c.cbShowHeight) img.text(x - 8, h - y - 14, std::to_string(RoundPx(v)) + " km/h");
        if (!pace(env, c.cbSlow, i, n)) return core::Result::cancelled();
        prevX = x;
        prevY = y;
    }
    img.text(100, 5, env.message(25) + " " + FixedTwo(dist / 1000, sep) + " km");
    if (env.pictureChanged) env.pictureChanged();
    return core::Result::done();
}

void SortPointsByTime(core::PointList& pts) {
    const int n = pts.count();
    std::vector<int> order(static_cast<size_t>(n));
    std::iota(order.begin(), order.end(), 1);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return pts[a].time < pts[b].time; });
    std::vector<core::PointRecord> sorted;
    sorted.reserve(order.size());
    for (int i : order) sorted.push_back(std::move(pts[i]));
    for (int i = 1; i <= n; ++i) pts[i] = std::move(sorted[static_cast<size_t>(i - 1)]);
}

namespace {

using Diagram = core::Result (*)(const core::PointList&, PlotState&, PlotControls&, PlotEnv&);

core::Result timeDiagramCommand(int mode, Diagram diagram, PlotData& d, PlotEnv& env) {
    core::Document& doc = d.doc;
    const core::NodeId focus = doc.focused();
    if (focus == core::kNoNode) return core::Result::nothingToDo();
    if (env.showPage) env.showPage();
    DetermineBounds(d.state, doc, d.loader, d.points, d.report);
    doc.plotMode = mode;
    bool loaded = false;
    for (core::NodeId node = focus; node != core::kNoNode && doc.getLevel(node) > 1; node = doc.parent(node)) {
        const core::NodeRole role = doc.roleOf(node);
        if (node == doc.trackpoints()) {
            d.points.reset();
            for (core::NodeId trk = doc.firstChild(node); trk != core::kNoNode; trk = doc.nextSibling(trk))
                d.loader.ShowTrack(d.points, trk);
            if (mode == kPlotTimeWay) SortPointsByTime(d.points);
            loaded = true;
            break;
        }
        if (role == core::NodeRole::Track) {
            d.points.reset();
            d.loader.ShowTrack(d.points, node);
            loaded = true;
            break;
        }
    }
    // Focused elsewhere (a waypoint, a route, the metadata): every track
    // point in tree order, as the bounds were determined from them.
    if (!loaded) {
        d.points.reset();
        d.loader.ShowAllTracks(d.points);
    }
    if (d.points.count() == 0) return core::Result::nothingToDo();
    core::Result r = InitBitmap(d.state, d.controls, mode, env.image, env.imageWidth, env.imageHeight, env.locale);
    if (r.isFailed()) {
        doc.plotMode = kPlotNothing;
        return r;
    }
    return diagram(d.points, d.state, d.controls, env);
}

core::Result timeWay(const core::PointList& p, PlotState& s, PlotControls& c, PlotEnv& e) {
    return PlotTimeWay(p, s, c, e);
}
core::Result timeSpeed(const core::PointList& p, PlotState& s, PlotControls& c, PlotEnv& e) {
    return PlotTimeSpeed(p, s, c, e);
}

}  // namespace

core::Result mPlotTimeWayClick(PlotData& d, PlotEnv& env) {
    return timeDiagramCommand(kPlotTimeWay, timeWay, d, env);
}
core::Result mPlotTimeHeightClick(PlotData& d, PlotEnv& env) {
    return timeDiagramCommand(kPlotTimeHeight, PlotTimeHeight, d, env);
}
core::Result mPlotTimeSpeedClick(PlotData& d, PlotEnv& env) {
    return timeDiagramCommand(kPlotTimeSpeed, timeSpeed, d, env);
}

}  // namespace plot
