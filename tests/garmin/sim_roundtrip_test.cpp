// Pathkeep's link layer against tools/garmin-sim on a pseudo-terminal: the
// simulator (itself checked against GPSBabel) stands in for a receiver.
// Expected values are those of tests/data/garmin/receiver.gpx, read by eye.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstring>

#include "core/fn.h"
#include "formats/gpx.h"
#include "garmin/runner.h"
#include "host/fake/fake_host.h"
#include "../temp_dir.h"

extern char** environ;

using namespace garmin;

namespace {

const std::string kFixture = std::string(PATHKEEP_TEST_DATA_DIR) + "/garmin/receiver.gpx";

// The simulator as a child process; its first output line is the terminal.
class Sim {
public:
    explicit Sim(std::vector<std::string> args) {
        args.insert(args.begin(), GARMIN_SIM_BINARY);
        int out[2];
        if (pipe(out) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        FILE* f = fdopen(out[0], "r");
        char line[256] = {};
        if (f && std::fgets(line, sizeof line, f)) path_ = std::string(line, std::strcspn(line, "\n"));
        if (f) std::fclose(f);
    }
    ~Sim() { stop(); }
    void stop() {
        if (pid_ <= 0) return;
        kill(pid_, SIGTERM);
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = -1;
    }
    const std::string& path() const { return path_; }

private:
    pid_t pid_ = -1;
    std::string path_;
};

struct Pathkeep {
    host::FakeHost host;
    core::SymbolTable symbols;
    core::Document doc{symbols, host.fakeClock};
    core::PointList points;
    std::vector<std::string> errors;

    Pathkeep() { symbols.LoadSymbolTable(std::string(PATHKEEP_DATA_DIR) + "/symbol_types.dat"); }
    core::PointLoader loader() {
        return core::PointLoader(doc, symbols, core::PointLoader::Env{host.fakeClock, host.fakeLocale, nullptr, {}});
    }
    void load(const std::string& gpx) {
        core::Operation operation;
        formats::Env env{doc, symbols, host.fakeClock, host.fakeLocale, operation, [](const std::string&) {}};
        ASSERT_TRUE(formats::GpxBestandInlezen(env, gpx).isDone());
    }
    // Runs the words against a receiver on `path`; the results of each word.
    // Ticks are shorter than the program's 500 ms to keep the tests quick,
    // yet long enough that a busy machine does not end a transfer early.
    std::vector<WordResult> run(const std::string& path, const std::vector<std::string>& words, int tickMs = 200) {
        auto transport = MakeTtyTransport(path, 9600);
        Session::Hooks hooks;
        AttachTransport(hooks, *transport);
        hooks.message = [](int n) { return "message " + std::to_string(n); };
        hooks.errorBox = [this](const std::string& t) { errors.push_back(t); };
        Session session(DocumentAccess{doc, symbols, host.fakeClock, [this] { return loader(); }}, host.fakeLocale,
                        std::move(hooks));
        for (const auto& w : words) session.appendCommand(w);
        RunOptions options;
        options.tickMs = tickMs;
        (void)RunSession(session, *transport, options);
        EXPECT_EQ(session.link().queuedPackets(), 0u);
        return session.results();
    }
    std::vector<core::NodeId> kids(core::NodeId n, const char* prefix) const {
        std::vector<core::NodeId> out;
        for (core::NodeId c = doc.firstChild(n); c != core::kNoNode; c = doc.nextSibling(c))
            if (doc.getText(c).rfind(prefix, 0) == 0) out.push_back(c);
        return out;
    }
    std::vector<core::NodeId> trackPoints(core::NodeId trk) const {
        std::vector<core::NodeId> out;
        for (core::NodeId seg : kids(trk, "trkseg"))
            for (core::NodeId p = doc.firstChild(seg); p != core::kNoNode; p = doc.nextSibling(p)) out.push_back(p);
        return out;
    }
};

struct Expect {
    double lat, lon, ele;
    const char* name;
    const char* sym;
    double serial;  // UTC; 0 for none
};

// receiver.gpx; times as day numbers: 2008-01-01 is day 39448, 2012-06-30 is day 41090.
const Expect kWaypoints[] = {{51.5, -0.125, 12, "LONDON", "Flag, Blue", 0},
                             {52.370216, 4.895168, -2, "AMS", "Waypoint", 0},
                             {-33.856784, 151.215297, 5, "SYDNEY", "Anchor", 0}};
const Expect kRoute[] = {{52.090737, 5.121420, 4, "UTRECHT", "Flag, Blue", 0},
                         {52.160114, 4.497010, 1, "LEIDEN", "Flag, Blue", 0},
                         {52.011577, 4.357068, 0, "DELFT", "Flag, Blue", 0}};
const Expect kMorning[] = {{52.0, 5.0, 10.5, "", "", 39448 + 8 / 24.0},
                           {52.001, 5.001, 11, "", "", 39448 + (8 * 3600 + 10) / 86400.0},
                           {52.002, 5.0025, 12.25, "", "", 39448 + (8 * 3600 + 20) / 86400.0}};
const Expect kEvening[] = {{-33.86, 151.21, 3, "", "", 41090 + 18.5 / 24},
                           {-33.861, 151.211, 4, "", "", 41090 + (18 * 60 + 31) / 1440.0}};

constexpr double kSemicircle = 180.0 / 2147483648.0;

template <size_t N>
void expectPoints(Pathkeep& pk, const std::vector<core::NodeId>& nodes, const Expect (&want)[N], const char* what) {
    ASSERT_EQ(nodes.size(), N) << what;
    core::PointLoader loader = pk.loader();
    for (size_t i = 0; i < N; ++i) {
        core::PointTexts p = loader.readPoint(nodes[i]);
        SCOPED_TRACE(std::string(what) + " point " + std::to_string(i + 1));
        EXPECT_NEAR(static_cast<double>(core::StrToFloatAny(p.lat)), want[i].lat, 2 * kSemicircle);
        EXPECT_NEAR(static_cast<double>(core::StrToFloatAny(p.lon)), want[i].lon, 2 * kSemicircle);
        EXPECT_NEAR(static_cast<double>(core::StrToFloatAny(p.ele)), want[i].ele, 1e-4);
        EXPECT_EQ(p.name, want[i].name);
        EXPECT_EQ(p.sym, want[i].sym);
        if (want[i].serial > 0) {
            ASSERT_TRUE(p.hasTime);
            EXPECT_NEAR(static_cast<double>(p.time), want[i].serial, 0.5 / 86400);
        }
    }
}

std::vector<std::string> kDownloadAll = {"id request", "get trackpoints", "get waypoints", "get routes"};

void expectFixture(Pathkeep& pk, const char* track1, const char* track2) {
    expectPoints(pk, pk.kids(pk.doc.waypoints(), "wpt"), kWaypoints, "waypoints");
    auto routes = pk.kids(pk.doc.routes(), "rte");
    ASSERT_EQ(routes.size(), 1u);
    EXPECT_EQ(pk.doc.getText(routes[0]), "rte (CANAL)");
    expectPoints(pk, pk.kids(routes[0], "rtept"), kRoute, "route");
    auto tracks = pk.kids(pk.doc.trackpoints(), "trk");
    ASSERT_EQ(tracks.size(), 2u);
    EXPECT_EQ(pk.doc.getText(tracks[0]), std::string("trk (") + track1 + ")");
    EXPECT_EQ(pk.doc.getText(tracks[1]), std::string("trk (") + track2 + ")");
    expectPoints(pk, pk.trackPoints(tracks[0]), kMorning, "first track");
    expectPoints(pk, pk.trackPoints(tracks[1]), kEvening, "second track");
}

TEST(GarminSim, DownloadEverything) {
    Sim sim({"--load", kFixture});
    ASSERT_FALSE(sim.path().empty());
    Pathkeep pk;
    auto results = pk.run(sim.path(), kDownloadAll);
    ASSERT_EQ(results.size(), 4u);
    for (const auto& r : results) EXPECT_TRUE(r.result.isDone()) << r.word << ": " << r.result.message();
    EXPECT_EQ(results[1].result.message(), "5 track points received.");
    expectFixture(pk, "ACTIVE LOG 001", "ACTIVE LOG 002");
}

TEST(GarminSim, UploadThenDownloadKeepsEverything) {
    TempDir dir;
    std::string saved = dir.file("kept.gpx");
    {
        Sim sim({"--save", saved});
        Pathkeep source;
        source.load(kFixture);
        auto up = source.run(sim.path(), {"id request", "put trackpoints", "put waypoints", "put routes"});
        ASSERT_EQ(up.size(), 4u);
        for (const auto& r : up) EXPECT_TRUE(r.result.isDone()) << r.word << ": " << r.result.message();
        Pathkeep back;
        auto down = back.run(sim.path(), kDownloadAll);
        for (const auto& r : down) EXPECT_TRUE(r.result.isDone()) << r.word << ": " << r.result.message();
        expectFixture(back, "ACTIVE LOG 001", "ACTIVE LOG 002");
    }
    // The receiver kept the track names of the headers.
    Pathkeep kept;
    kept.load(saved);
    expectFixture(kept, "MORNING", "EVENING");
}

TEST(GarminSim, RoundTripInTheD109AndD201Layouts) {
    Sim sim({"--protocols", "P000,L001,A010,A100,D109,A201,D201,D109,D210,A301,D310,D301"});
    Pathkeep source;
    source.load(kFixture);
    auto up = source.run(sim.path(), {"id request", "put waypoints", "put routes"});
    for (const auto& r : up) EXPECT_TRUE(r.result.isDone()) << r.word << ": " << r.result.message();
    Pathkeep back;
    auto down = back.run(sim.path(), {"id request", "get waypoints", "get routes"});
    for (const auto& r : down) EXPECT_TRUE(r.result.isDone()) << r.word << ": " << r.result.message();
    expectPoints(back, back.kids(back.doc.waypoints(), "wpt"), kWaypoints, "waypoints");
    auto routes = back.kids(back.doc.routes(), "rte");
    ASSERT_EQ(routes.size(), 1u);
    EXPECT_EQ(back.doc.getText(routes[0]), "rte (CANAL)");
    expectPoints(back, back.kids(routes[0], "rtept"), kRoute, "route");
}

// A lossy line: every transfer ends exactly right or failed, never half.
void lossyRuns(const char* option, const char* share) {
    int completed = 0;
    for (int seed = 1; seed <= 4; ++seed) {
        Sim sim({"--load", kFixture, option, share, "--seed", std::to_string(seed), "--ack-timeout-ms", "100"});
        Pathkeep pk;
        auto results = pk.run(sim.path(), kDownloadAll, 100);
        ASSERT_GE(results.size(), 1u);
        for (const auto& r : results) {
            if (std::getenv("GARMIN_SIM_DEBUG"))
                std::fprintf(stderr, "%s seed %d %s: %s\n", option, seed, r.word.c_str(), r.result.message().c_str());
            SCOPED_TRACE(std::string(option) + " seed " + std::to_string(seed) + " " + r.word + ": " +
                         r.result.message());
            EXPECT_TRUE(r.result.isDone() || r.result.isFailed());
            if (!r.result.isDone()) continue;
            ++completed;
            if (r.word == "get waypoints") expectPoints(pk, pk.kids(pk.doc.waypoints(), "wpt"), kWaypoints, "wpt");
            if (r.word == "get routes") {
                auto routes = pk.kids(pk.doc.routes(), "rte");
                ASSERT_EQ(routes.size(), 1u);
                expectPoints(pk, pk.kids(routes[0], "rtept"), kRoute, "route");
            }
            if (r.word == "get trackpoints") {
                auto tracks = pk.kids(pk.doc.trackpoints(), "trk");
                ASSERT_EQ(tracks.size(), 2u);
                expectPoints(pk, pk.trackPoints(tracks[0]), kMorning, "track");
                expectPoints(pk, pk.trackPoints(tracks[1]), kEvening, "track");
            }
        }
        // What failed left no trace.
        for (const auto& r : results) {
            if (r.result.isDone()) continue;
            if (r.word == "get waypoints") {
                EXPECT_TRUE(pk.kids(pk.doc.waypoints(), "wpt").empty());
            } else if (r.word == "get routes") {
                EXPECT_TRUE(pk.kids(pk.doc.routes(), "rte").empty());
            } else if (r.word == "get trackpoints") {
                EXPECT_EQ(pk.doc.trackPointCount(), 0);
            }
        }
    }
    ::testing::Test::RecordProperty(std::string("completed") + option, completed);
    EXPECT_GT(completed, 0) << "resends should carry most transfers through";
}

TEST(GarminSim, DropsOneFrameInFive) { lossyRuns("--drop", "0.2"); }
TEST(GarminSim, SpoilsOneFrameInTwenty) { lossyRuns("--corrupt", "0.05"); }

TEST(GarminSim, LossyUploadsAreExactOrFailed) {
    int completed = 0;
    for (int seed = 1; seed <= 3; ++seed) {
        TempDir dir;
        std::string saved = dir.file("kept.gpx");
        std::vector<WordResult> results;
        {
            Sim sim({"--save", saved, "--drop", "0.2", "--seed", std::to_string(seed), "--ack-timeout-ms", "100"});
            Pathkeep source;
            source.load(kFixture);
            results = source.run(sim.path(), {"id request", "put trackpoints", "put waypoints", "put routes"}, 100);
        }
        Pathkeep kept;
        kept.load(saved);
        for (const auto& r : results) {
            SCOPED_TRACE("seed " + std::to_string(seed) + " " + r.word + ": " + r.result.message());
            EXPECT_TRUE(r.result.isDone() || r.result.isFailed());
            if (!r.result.isDone()) continue;
            ++completed;
            if (r.word == "put waypoints") expectPoints(kept, kept.kids(kept.doc.waypoints(), "wpt"), kWaypoints, "wpt");
            if (r.word == "put routes") {
                auto routes = kept.kids(kept.doc.routes(), "rte");
                ASSERT_EQ(routes.size(), 1u);
                expectPoints(kept, kept.kids(routes[0], "rtept"), kRoute, "route");
            }
            if (r.word == "put trackpoints") {
                auto tracks = kept.kids(kept.doc.trackpoints(), "trk");
                ASSERT_EQ(tracks.size(), 2u);
                expectPoints(kept, kept.trackPoints(tracks[0]), kMorning, "track");
                expectPoints(kept, kept.trackPoints(tracks[1]), kEvening, "track");
            }
        }
    }
    EXPECT_GT(completed, 0);
}

TEST(GarminSim, SilentReceiverEndsAfterTheResendLimit) {
    // A terminal with nobody behind it.
    int master = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(grantpt(master), 0);
    ASSERT_EQ(unlockpt(master), 0);
    std::string path = ptsname(master);
    Pathkeep pk;
    auto results = pk.run(path, {"id request", "get waypoints"}, 20);
    close(master);
    ASSERT_EQ(results.size(), 2u);
    for (const auto& r : results) EXPECT_TRUE(r.result.isFailed()) << r.word;
    EXPECT_EQ(results[0].result.message(), "message 33");
    EXPECT_EQ(results[1].result.message(), "message 33 (not started)");
    EXPECT_EQ(pk.errors, std::vector<std::string>{"message 33"});
    // The channel is usable again: a receiver that answers now is served.
    Sim sim({"--load", kFixture});
    auto again = pk.run(sim.path(), {"id request", "get waypoints"});
    ASSERT_EQ(again.size(), 2u);
    EXPECT_TRUE(again[1].result.isDone()) << again[1].result.message();
}

}  // namespace
