#include "capture/x11/atspi_probe.h"

#include <atspi/atspi.h>

#include <chrono>
#include <functional>
#include <map>
#include <vector>

namespace capture::x11 {

namespace {

// A D-Bus round trip to a hung program must not hang the capture.
constexpr int kCallTimeoutMs = 1000;
constexpr int kStartupTimeoutMs = 3000;
// Accessible trees are shallow; a cycle in a broken one must end.
constexpr int kMaxDepth = 32;
// Accessible ids carry this bit, so they never equal an X window id.
constexpr std::uint64_t kAccessibleIdBit = std::uint64_t{1} << 63;
constexpr std::chrono::milliseconds kTopFreshFor{1000};
// Shorter than the sensor timer's period, so every read sees fresh texts.
constexpr std::chrono::milliseconds kFoundFreshFor{40};
// A program that showed no accessibility tree is asked again after this.
constexpr std::chrono::milliseconds kAbsentFor{2000};

// Owns one reference of a GObject.
template <typename T>
class Ref {
public:
    Ref() = default;
    explicit Ref(T* p) : p_(p) {}
    Ref(const Ref&) = delete;
    Ref& operator=(const Ref&) = delete;
    Ref(Ref&& other) noexcept : p_(other.p_) { other.p_ = nullptr; }
    Ref& operator=(Ref&& other) noexcept {
        if (this != &other) {
            reset();
            p_ = other.p_;
            other.p_ = nullptr;
        }
        return *this;
    }
    ~Ref() { reset(); }
    void reset() {
        if (p_) g_object_unref(p_);
        p_ = nullptr;
    }
    T* get() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }

private:
    T* p_ = nullptr;
};

// Clears a GError after each call: the caller only needs to know it failed.
struct Error {
    GError* e = nullptr;
    ~Error() { clear(); }
    GError** out() {
        clear();
        return &e;
    }
    bool failed() const { return e != nullptr; }
    void clear() {
        if (e) g_error_free(e);
        e = nullptr;
    }
};

std::string takeString(gchar* s) {
    if (!s) return {};
    std::string out(s);
    g_free(s);
    return out;
}

std::string pathOf(AtspiAccessible* a) {
    AtspiObject* o = ATSPI_OBJECT(a);
    std::string key = o->app && o->app->bus_name ? o->app->bus_name : "";
    return key + ":" + (o->path ? o->path : "");
}

bool samePath(AtspiAccessible* a, AtspiAccessible* b) { return a == b || pathOf(a) == pathOf(b); }

bool contains(AtspiAccessible* a, int x, int y) {
    Ref<AtspiComponent> component(atspi_accessible_get_component_iface(a));
    if (!component) return false;
    Error error;
    AtspiRect* r = atspi_component_get_extents(component.get(), ATSPI_COORD_TYPE_SCREEN, error.out());
    if (!r) return false;
    bool inside = x >= r->x && y >= r->y && x < r->x + r->width && y < r->y + r->height;
    g_free(r);
    return inside;
}

std::string textOf(AtspiAccessible* a) {
    Error error;
    std::string name = takeString(atspi_accessible_get_name(a, error.out()));
    if (!name.empty()) return name;
    Ref<AtspiText> text(atspi_accessible_get_text_iface(a));
    if (!text) return {};
    gint count = atspi_text_get_character_count(text.get(), error.out());
    if (error.failed() || count <= 0) return {};
    return takeString(atspi_text_get_text(text.get(), 0, count, error.out()));
}

}  // namespace

struct AtspiProbe::State {
    bool ready = false;
    // The window last looked into, kept for a moment: a sensor read asks
    // about a hundred points of the same window.
    unsigned topPid = 0;
    std::string topTitle;
    Ref<AtspiAccessible> top;
    std::chrono::steady_clock::time_point topSince;
    // The objects found during the current read, with where they lie: the
    // rows of one label need one round trip, not one each.
    struct Found {
        int x, y, width, height;
        AccessibleHit hit;
    };
    std::vector<Found> found;
    std::chrono::steady_clock::time_point foundSince;
    std::map<unsigned, Ref<AtspiAccessible>> applications;  // by process id

    // Programs without an accessibility tree, and since when: asking the
    // bus about them on every probed point would cost a round trip each.
    std::map<unsigned, std::chrono::steady_clock::time_point> absent;

    Ref<AtspiAccessible> application(unsigned pid) {
        auto it = applications.find(pid);
        if (it != applications.end()) return Ref<AtspiAccessible>(ATSPI_ACCESSIBLE(g_object_ref(it->second.get())));
        auto now = std::chrono::steady_clock::now();
        auto missing = absent.find(pid);
        if (missing != absent.end() && now - missing->second < kAbsentFor) return {};
        absent[pid] = now;
        Ref<AtspiAccessible> desktop(atspi_get_desktop(0));
        if (!desktop) return {};
        Error error;
        gint n = atspi_accessible_get_child_count(desktop.get(), error.out());
        for (gint i = 0; i < n; ++i) {
            Ref<AtspiAccessible> app(atspi_accessible_get_child_at_index(desktop.get(), i, error.out()));
            if (!app) continue;
            if (atspi_accessible_get_process_id(app.get(), error.out()) != pid || error.failed()) continue;
            // Labels change with the pointer: their names must be read afresh.
            atspi_accessible_set_cache_mask(app.get(), ATSPI_CACHE_NONE);
            applications[pid] = Ref<AtspiAccessible>(ATSPI_ACCESSIBLE(g_object_ref(app.get())));
            absent.erase(pid);
            return app;
        }
        return {};
    }

    Ref<AtspiAccessible> window(AtspiAccessible* app, const std::string& title, int x, int y) {
        Error error;
        gint n = atspi_accessible_get_child_count(app, error.out());
        Ref<AtspiAccessible> byPoint;
        for (gint i = 0; i < n; ++i) {
            Ref<AtspiAccessible> w(atspi_accessible_get_child_at_index(app, i, error.out()));
            if (!w) continue;
            if (takeString(atspi_accessible_get_name(w.get(), error.out())) == title) return w;
            if (!byPoint && contains(w.get(), x, y)) byPoint = std::move(w);
        }
        return byPoint;
    }
};

AtspiProbe::AtspiProbe() : state_(std::make_unique<State>()) {
    // 0: initialised now, 1: already initialised in this process.
    int rc = atspi_init();
    state_->ready = rc == 0 || rc == 1;
    if (state_->ready) atspi_set_timeout(kCallTimeoutMs, kStartupTimeoutMs);
}

AtspiProbe::~AtspiProbe() {
    state_->top.reset();
    state_->applications.clear();
}

AccessibleHit AtspiProbe::objectAt(unsigned pid, const std::string& windowTitle, int x, int y) {
    AccessibleHit hit;
    if (!state_->ready || pid == 0) return hit;
    State& s = *state_;
    auto now = std::chrono::steady_clock::now();
    if (!s.top || s.topPid != pid || s.topTitle != windowTitle || now - s.topSince > kTopFreshFor) {
        s.top.reset();
        Ref<AtspiAccessible> app = s.application(pid);
        if (!app) return hit;
        s.top = s.window(app.get(), windowTitle, x, y);
        if (!s.top) {
            s.applications.erase(pid);  // the application may have gone
            return hit;
        }
        s.topPid = pid;
        s.topTitle = windowTitle;
        s.topSince = now;
    }
    if (now - s.foundSince > kFoundFreshFor) {
        s.found.clear();
        s.foundSince = now;
    }
    for (const State::Found& f : s.found)
        if (x >= f.x && y >= f.y && x < f.x + f.width && y < f.y + f.height) return f.hit;
    AtspiAccessible* top = s.top.get();
    Ref<AtspiAccessible> current(ATSPI_ACCESSIBLE(g_object_ref(top)));
    for (int depth = 0; depth < kMaxDepth; ++depth) {
        Ref<AtspiComponent> component(atspi_accessible_get_component_iface(current.get()));
        if (!component) break;
        Error error;
        Ref<AtspiAccessible> child(
            atspi_component_get_accessible_at_point(component.get(), x, y, ATSPI_COORD_TYPE_SCREEN, error.out()));
        if (error.failed() && depth == 0) {
            s.top.reset();  // the window has gone: look it up afresh next time
            return hit;
        }
        if (!child || samePath(child.get(), current.get())) break;
        current = std::move(child);
    }
    if (samePath(current.get(), top)) return hit;
    hit.found = true;
    hit.id = (std::hash<std::string>{}(pathOf(current.get())) | kAccessibleIdBit);
    hit.text = textOf(current.get());
    Ref<AtspiComponent> component(atspi_accessible_get_component_iface(current.get()));
    Error error;
    AtspiRect* r = component ? atspi_component_get_extents(component.get(), ATSPI_COORD_TYPE_SCREEN, error.out()) : nullptr;
    if (r) {
        s.found.push_back({r->x, r->y, r->width, r->height, hit});
        g_free(r);
    }
    return hit;
}

}  // namespace capture::x11
