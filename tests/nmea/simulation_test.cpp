#include "nmea/simulation.h"

#include <gtest/gtest.h>

#include <cmath>

#include "core/fn.h"
#include "host/fake/fake_host.h"

using namespace nmea;

namespace {

// 0.001 degree of latitude on the 6378.137 km sphere: 111.3195 m; in knots
// over one second 216.3878 (worked with pi and 1852 m to the mile).
constexpr double kStepDeg = 0.001;

struct Rig {
    host::FakeHost host;
    core::SymbolTable symbols;
    core::Document doc{symbols, host.fakeClock};
    std::vector<std::string> sent;  // what went out, with line ends
    std::vector<std::string> logged, decoded;
    std::vector<std::string> boxes;
    bool nmea = true;
    int switches = 0;
    std::function<void()> duringTransmit;
    std::function<bool()> duringLoad;  // false: the user cancelled
    std::unique_ptr<Simulation> sim;

    Rig() {
        doc.initTree();
        SimulationLinks links;
        links.transmit = [this](std::string_view s) {
            sent.emplace_back(s);
            if (duringTransmit) duringTransmit();
        };
        links.protocolIsNmea = [this] { return nmea; };
        links.switchToNmea = [this] {
            ++switches;
            sim->channelStopped();  // StopCommunication1 stops the simulation
            nmea = true;
        };
        links.logLine = [this](const std::string& l) { logged.push_back(l); };
        links.decode = [this](const std::string& s) { decoded.push_back(s); };
        links.show = [this](const std::string& t, host::Severity) { boxes.push_back(t); };
        links.message = [](int n) {
            return n == 10 ? std::string("Transmitted:") : n == 11 ? std::string("There are no points") : std::string();
        };
        links.loadTrack = [this](core::NodeId track, const core::PointLoader::Sink& each) {
            core::PointLoader loader(doc, symbols, {host.fakeClock, host.fakeLocale, nullptr, {}});
            loader.eachTrackPoint(track, each);
            return duringLoad ? duringLoad() : true;
        };
        sim = std::make_unique<Simulation>(host.fakeTimers, host.fakeClock, doc, std::move(links));
    }

    // A track northward from 52 N 5 E, one point per 0.001 degree, the
    // times one minute apart from 2008-03-08 12:00:00.
    void addTrack(const std::string& name, int points, double lat0 = 52.0) {
        doc.NewTrack(name);
        for (int i = 0; i < points; ++i) {
            double serial = 39515.5 + i / 1440.0;
            doc.AddTrackpoint(core::FloatToStrGeneral(lat0 + i * kStepDeg), "5", "", core::FloatToStrGeneral(serial));
        }
    }
    host::FakeTimer& timer() { return *host.fakeTimers.find("TxTimer"); }
    void tick() { timer().tick(); }
    static std::string field(const std::string& sentence, int n) { return core::NmeaField(sentence, n); }
    std::string last() const { return sent.empty() ? std::string() : sent.back().substr(0, sent.back().size() - 2); }
};

}  // namespace

TEST(Simulation, OriginalTimesSendAllButTheLastPointThenStop) {
    Rig r;
    r.addTrack("T", 5);
    r.sim->cbTracksChange("T");
    EXPECT_EQ(r.sim->meTime(), "12:00:00");
    EXPECT_EQ(r.sim->meDate(), "08-03-2008");
    r.sim->setTimeOption(TimeOption::Original);
    r.sim->setRepeat(false);
    r.sim->Trackpointsafspelen1Click();
    EXPECT_TRUE(r.sent.empty());
    EXPECT_EQ(r.sim->track().status, kPlaying);
    ASSERT_TRUE(r.timer().running());
    EXPECT_EQ(r.timer().intervalMs(), 1000);
    for (int i = 0; i < 6; ++i) r.tick();
    ASSERT_EQ(r.sent.size(), 4u);
    const char* times[] = {"120000", "120100", "120200", "120300"};
    const char* lats[] = {"5200.0000", "5200.0600", "5200.1200", "5200.1800"};
    for (int i = 0; i < 4; ++i) {
        std::string s = r.sent[static_cast<size_t>(i)];
        EXPECT_EQ(s.substr(s.size() - 2), "\r\n");
        s.resize(s.size() - 2);
        EXPECT_TRUE(core::CheckNmeaChecksum(s)) << s;
        EXPECT_EQ(Rig::field(s, 2), times[i]);
        EXPECT_EQ(Rig::field(s, 4), lats[i]);
        EXPECT_EQ(Rig::field(s, 10), "080308");
        EXPECT_EQ(r.logged[static_cast<size_t>(i)], "User> " + s);
        EXPECT_EQ(r.decoded[static_cast<size_t>(i)], s);
    }
    // The speed that reaches the next point in one second: 216.3878 knots.
    EXPECT_EQ(Rig::field(r.sent[0], 8), "216.38");
    EXPECT_EQ(r.sim->track().status, kStopped);
    EXPECT_FALSE(r.timer().running());
    EXPECT_EQ(r.sim->Label17(), "Status: gestopt (5 - 5)");
    EXPECT_EQ(r.sim->Label28(), "Transmitted: " + r.last());
}

TEST(Simulation, SentencesCarryUtcWhateverTheMachinesZone) {
    for (TimeOption option : {TimeOption::Original, TimeOption::Now}) {
        Rig r;
        r.host.fakeClock.offsetMinutes = 60;  // points stored as 12:00+01:00; now is 13:05:09 local
        r.addTrack("T", 3);
        r.sim->cbTracksChange("T");
        r.sim->setTimeOption(option);
        r.sim->Trackpointsafspelen1Click();
        r.tick();
        ASSERT_FALSE(r.sent.empty());
        EXPECT_EQ(Rig::field(r.last(), 2), option == TimeOption::Original ? "110000" : "120509");
    }
}

TEST(Simulation, RepeatStartsAgainAtPointOne) {
    Rig r;
    r.addTrack("T", 5);
    r.sim->cbTracksChange("T");
    r.sim->setTimeOption(TimeOption::Original);
    ASSERT_TRUE(r.sim->repeat());  // ticked at start
    r.sim->Trackpointsafspelen1Click();
    for (int i = 0; i < 6; ++i) r.tick();
    ASSERT_EQ(r.sent.size(), 6u);
    EXPECT_EQ(Rig::field(r.sent[4], 2), "120000");
    EXPECT_EQ(Rig::field(r.sent[5], 2), "120100");
    EXPECT_EQ(r.sim->track().status, kPlaying);
    EXPECT_TRUE(r.timer().running());
}

TEST(Simulation, StartFromAndCurrentTime) {
    Rig r;
    r.addTrack("T", 4);
    r.sim->cbTracksChange("T");
    r.sim->meTimeKeyPress("23:59:59");  // typing chooses "Start from following:"
    r.sim->meDateKeyPress("31-12-2009");
    EXPECT_EQ(r.sim->timeOption(), TimeOption::StartFrom);
    r.sim->Trackpointsafspelen1Click();
    r.tick();
    r.tick();
    ASSERT_EQ(r.sent.size(), 2u);
    EXPECT_EQ(Rig::field(r.sent[0], 2), "000000");
    EXPECT_EQ(Rig::field(r.sent[0], 10), "010110");
    EXPECT_EQ(Rig::field(r.sent[1], 2), "000001");

    Rig now;
    now.addTrack("T", 3);
    now.sim->cbTracksChange("T");
    now.sim->Trackpointsafspelen1Click();  // "Current date/time" is chosen at start
    now.tick();
    // The fake clock stands at 2008-05-01 13:05:09.
    EXPECT_EQ(Rig::field(now.last(), 2), "130509");
    EXPECT_EQ(Rig::field(now.last(), 10), "010508");
}

TEST(Simulation, ADateTypedDuringPlaybackGivesWayToThePointsDate) {
    // The date field is written afresh only when the day changes; a date
    // typed in between must not stay in the sentences.
    Rig r;
    r.addTrack("T", 4);
    r.sim->cbTracksChange("T");
    r.sim->setTimeOption(TimeOption::Original);
    r.sim->Trackpointsafspelen1Click();
    r.tick();
    ASSERT_EQ(r.sent.size(), 1u);
    EXPECT_EQ(Rig::field(r.last(), 10), "080308");
    r.sim->meDateKeyPress("05-05-2010");
    r.sim->setTimeOption(TimeOption::Original);  // typing chose "Start from following:"
    r.tick();
    ASSERT_EQ(r.sent.size(), 2u);
    EXPECT_EQ(Rig::field(r.last(), 10), "080308");
    EXPECT_EQ(r.sim->meDate(), "08-03-2008");
}

TEST(Simulation, GivenSpeedDrivesTenMetresPerSecond) {
    Rig r;
    r.addTrack("T", 3);
    r.sim->cbTracksChange("T");
    r.sim->setTimeOption(TimeOption::GivenSpeed);
    ASSERT_EQ(r.sim->drivingSpeed(), 10);
    r.sim->Trackpointsafspelen1Click();
    // One sentence at once, at point 1.
    ASSERT_EQ(r.sent.size(), 1u);
    EXPECT_EQ(Rig::field(r.last(), 4), "5200.0000");
    EXPECT_EQ(Rig::field(r.last(), 8), "19.438");
    r.tick();
    ASSERT_EQ(r.sent.size(), 2u);
    EXPECT_EQ(Rig::field(r.last(), 8), "19.438");
    // 10 m north of 52 N is 0.0000898 degree (10 / 111319.49 m).
    EXPECT_NEAR(static_cast<double>(r.sim->track().curLat), 52.0 + 8.98315e-5, 1e-9);
    EXPECT_NEAR(static_cast<double>(r.sim->track().curLon), 5.0, 1e-12);
    // 0.0000898 degree is 0.0054 minutes: "5200.0053" as the minutes are cut.
    EXPECT_EQ(Rig::field(r.last(), 4), "5200.0053");
}

TEST(Simulation, GivenSpeedZeroKeepsSendingPointOne) {
    Rig r;
    r.addTrack("T", 3);
    r.sim->cbTracksChange("T");
    r.sim->setTimeOption(TimeOption::GivenSpeed);
    r.sim->sbDrivingSpeedChange(0);
    EXPECT_EQ(r.sim->Label35(), "0 m/s");
    r.sim->Trackpointsafspelen1Click();
    for (int i = 0; i < 5; ++i) r.tick();
    ASSERT_EQ(r.sent.size(), 6u);
    for (const auto& s : r.sent) {
        EXPECT_EQ(Rig::field(s, 4), "5200.0000");
        EXPECT_EQ(Rig::field(s, 8), "0");
    }
    EXPECT_EQ(r.sim->track().status, kPlaying);
}

TEST(Simulation, GivenSpeedDrivesAllTheWayToTheLastPoint) {
    Rig r;
    r.addTrack("T", 3);  // two legs of 111.3 m
    r.sim->cbTracksChange("T");
    r.sim->setTimeOption(TimeOption::GivenSpeed);
    r.sim->setRepeat(false);
    r.sim->sbDrivingSpeedChange(100);  // 100 m a tick
    r.sim->Trackpointsafspelen1Click();
    std::vector<double> lats;
    for (int i = 0; i < 5 && r.sim->track().status == kPlaying; ++i) {
        r.tick();
        lats.push_back(static_cast<double>(r.sim->track().curLat));
    }
    // 100 m, 200 m, then the end at 222.6 m: no leg is jumped over.
    ASSERT_EQ(lats.size(), 3u);
    EXPECT_NEAR(lats[0], 52.0 + 100 / 111319.49079, 1e-8);
    EXPECT_NEAR(lats[1], 52.0 + 200 / 111319.49079, 1e-8);
    EXPECT_NEAR(lats[2], 52.002, 1e-12);
    EXPECT_EQ(r.sim->track().status, kStopped);
    EXPECT_FALSE(r.timer().running());
}

TEST(Simulation, IntervalBox) {
    Rig r;
    EXPECT_EQ(r.sim->Edit3(), "1000");
    r.sim->Edit3Change("abc");
    EXPECT_EQ(r.sim->Edit3(), "1000");
    EXPECT_EQ(r.sim->intervalMs(), 1000);
    r.sim->Edit3Change("50");
    EXPECT_EQ(r.sim->intervalMs(), 200);
    EXPECT_EQ(r.sim->Edit3(), "200");
    EXPECT_EQ(r.timer().intervalMs(), 200);
    r.sim->Edit3Change("40000");
    EXPECT_EQ(r.sim->Edit3(), "30000");
    r.sim->Edit3Change(" 2500 ");
    EXPECT_EQ(r.sim->intervalMs(), 2500);
    r.sim->Edit3Change("99999999999999999999");
    EXPECT_EQ(r.sim->Edit3(), "1000");
    r.sim->sbDrivingSpeedChange(20);
    EXPECT_EQ(r.sim->Label35(), "20 m/s");
    r.sim->sbDrivingSpeedChange(500);
    EXPECT_EQ(r.sim->Label35(), "100 m/s");
}

TEST(Simulation, ATickInsideATickSendsNothing) {
    Rig r;
    r.addTrack("T", 5);
    r.sim->cbTracksChange("T");
    r.sim->setTimeOption(TimeOption::Original);
    r.sim->Trackpointsafspelen1Click();
    bool beatBefore = r.sim->timerBeat();
    int nested = 0;
    r.duringTransmit = [&] {
        // Sending lets events run: the timer fires again meanwhile.
        if (nested++ == 0) r.tick();
    };
    r.tick();
    EXPECT_EQ(r.sent.size(), 1u);
    EXPECT_EQ(r.sim->timerBeat(), beatBefore);  // flipped twice
    EXPECT_FALSE(r.sim->busy());
    r.duringTransmit = nullptr;
    r.tick();
    EXPECT_EQ(r.sent.size(), 2u);
    EXPECT_EQ(Rig::field(r.last(), 2), "120100");
}

TEST(Simulation, Buttons) {
    Rig r;
    r.addTrack("T", 30);
    r.sim->cbTracksChange("T");
    r.sim->setTimeOption(TimeOption::Original);
    // Nothing to pause, stop or go back from before a start.
    r.sim->SpeedButton3Click();
    r.sim->SpeedButton2Click();
    r.sim->SpeedButton1Click();
    EXPECT_EQ(r.sim->track().status, "");
    r.sim->Trackpointsafspelen1Click();
    for (int i = 0; i < 14; ++i) r.tick();
    EXPECT_EQ(r.sim->track().index, 15);
    r.sim->SpeedButton1Click();
    EXPECT_EQ(r.sim->track().index, 5);
    EXPECT_TRUE(r.timer().running());
    r.sim->SpeedButton1Click();
    EXPECT_EQ(r.sim->track().index, 1);

    r.sim->SpeedButton3Click();  // pause: ticks go on, nothing is sent
    EXPECT_EQ(r.sim->track().status, kPaused);
    size_t before = r.sent.size();
    r.tick();
    r.tick();
    EXPECT_EQ(r.sent.size(), before);
    EXPECT_EQ(r.sim->Label17(), "Status: pauze (1 - 30)");
    r.sim->SpeedButton4Click();  // resume where it was
    r.tick();
    EXPECT_EQ(Rig::field(r.last(), 2), "120000");
    r.tick();
    EXPECT_EQ(Rig::field(r.last(), 2), "120100");

    r.sim->SpeedButton2Click();  // stop
    EXPECT_EQ(r.sim->track().status, kStopped);
    EXPECT_FALSE(r.timer().running());
    r.sim->SpeedButton4Click();  // resume after stop: from point 1
    EXPECT_EQ(r.sim->track().status, kPlaying);
    r.tick();
    EXPECT_EQ(Rig::field(r.last(), 2), "120000");
}

TEST(Simulation, NothingChosenOrNothingToPlay) {
    Rig r;
    r.sim->Trackpointsafspelen1Click();  // no track chosen: nothing at all
    r.sim->SpeedButton4Click();
    EXPECT_TRUE(r.boxes.empty());
    EXPECT_FALSE(r.timer().running());

    r.doc.NewTrack("Empty");
    r.sim->cbTracksChange("Empty");
    r.sim->Trackpointsafspelen1Click();
    ASSERT_EQ(r.boxes.size(), 1u);
    EXPECT_EQ(r.boxes[0], "There are no points");
    EXPECT_FALSE(r.timer().running());

    r.addTrack("T", 3);
    r.sim->cbTracksChange("T");
    r.sim->meDateKeyPress("31-02-2009");
    r.sim->Trackpointsafspelen1Click();
    ASSERT_EQ(r.boxes.size(), 2u);
    EXPECT_EQ(r.boxes[1], "'31-02-2009' is not a valid date");
    EXPECT_NE(r.sim->track().status, kPlaying);
    EXPECT_FALSE(r.timer().running());
    r.sim->meDateKeyPress("28-02-2009");
    r.sim->meTimeKeyPress("24:00:00");
    r.sim->Trackpointsafspelen1Click();
    EXPECT_EQ(r.boxes.back(), "'24:00:00' is not a valid time");
    EXPECT_TRUE(r.sent.empty());
}

TEST(Simulation, ATickPastTheEndSendsNothingAndStops) {
    Rig r;
    r.addTrack("T", 3);
    r.sim->cbTracksChange("T");
    // Status forced to playing without a start: there is no last point.
    r.sim->setStatus(kPlaying);
    r.sim->SpeedButton1Click();  // back 10 restarts the timer
    ASSERT_TRUE(r.timer().running());
    r.tick();
    EXPECT_TRUE(r.sent.empty());
    EXPECT_EQ(r.sim->track().status, kStopped);
    EXPECT_FALSE(r.timer().running());
    EXPECT_FALSE(r.sim->busy());
}

TEST(Simulation, EditingOrDeletingThePausedTrackStopsPlayback) {
    Rig r;
    r.addTrack("T", 5);
    r.addTrack("Other", 2, 40.0);
    r.sim->cbTracksChange("T");
    r.sim->setTimeOption(TimeOption::Original);
    r.sim->Trackpointsafspelen1Click();
    r.tick();
    r.sim->SpeedButton3Click();
    // Another track growing leaves the playback alone.
    r.doc.NewTrack("Other");
    r.doc.AddTrackpoint("40.5", "5", "", "");
    EXPECT_EQ(r.sim->track().status, kPaused);
    // Points added to the chosen track stop it.
    r.doc.NewTrack("T");
    r.doc.AddTrackpoint("53", "5", "", "");
    EXPECT_EQ(r.sim->track().status, kStopped);
    EXPECT_FALSE(r.timer().running());
    r.tick();
    EXPECT_EQ(r.sent.size(), 1u);
    // Resume plays the track as it now stands: six points, five sent.
    r.sim->setRepeat(false);
    r.sim->SpeedButton4Click();
    EXPECT_EQ(r.sim->track().last, 6);
    for (int i = 0; i < 8; ++i) r.tick();
    EXPECT_EQ(r.sent.size(), 6u);

    // Deleting the track while paused.
    r.sim->Trackpointsafspelen1Click();
    r.tick();
    r.sim->SpeedButton3Click();
    core::NodeId track = r.doc.parent(r.doc.FindTrack("T"));
    r.doc.removeNode(track);
    EXPECT_EQ(r.sim->track().status, kStopped);
    r.sim->SpeedButton4Click();  // the track is gone: nothing to play
    EXPECT_FALSE(r.timer().running());
}

TEST(Simulation, WholeDegreesSendZeroMinutes) {
    Rig r;
    r.doc.NewTrack("W");
    r.doc.AddTrackpoint("52", "-5", "", "");
    r.doc.AddTrackpoint("53", "-5", "", "");
    r.doc.AddTrackpoint("54", "-5", "", "");
    r.sim->cbTracksChange("W");
    r.sim->setTimeOption(TimeOption::Original);
    r.sim->Trackpointsafspelen1Click();
    r.tick();
    r.tick();
    ASSERT_EQ(r.sent.size(), 2u);
    EXPECT_NE(r.sent[0].find(",5200.0000,N,00500.0000,W,"), std::string::npos) << r.sent[0];
    EXPECT_NE(r.sent[1].find(",5300.0000,N,00500.0000,W,"), std::string::npos) << r.sent[1];
    EXPECT_FALSE(r.sim->busy());
}

TEST(Simulation, SendingSwitchesFromGarminToNmea) {
    Rig r;
    r.nmea = false;
    RmcResult res = r.sim->VerzendRMC("5.15", "52.15", "08-03-2008", "12:34:56", "0.0");
    ASSERT_TRUE(res.ok);
    EXPECT_EQ(r.switches, 1);
    EXPECT_TRUE(r.nmea);
    ASSERT_EQ(r.sent.size(), 1u);
    EXPECT_EQ(r.sent[0], "$GPRMC,123456,A,5209.0000,N,00509.0000,E,0.0,4.0,080308,0.9,W,A*02\r\n");
    EXPECT_EQ(r.logged[0], "User> $GPRMC,123456,A,5209.0000,N,00509.0000,E,0.0,4.0,080308,0.9,W,A*02");
    EXPECT_TRUE(r.decoded.empty());  // only playback decodes what it sends
    EXPECT_EQ(r.sim->panel().Edit20, "4.0");
    r.sim->VerzendRMC("5.15", "52.15", "", "", "0.0");
    EXPECT_EQ(r.switches, 1);
}

TEST(Simulation, ChoosingAnotherTrackStopsTheTimerButKeepsTheStatus) {
    Rig r;
    r.addTrack("A", 4);
    r.addTrack("B", 4, 40.0);
    r.sim->cbTracksChange("A");
    r.sim->Trackpointsafspelen1Click();
    r.tick();
    r.sim->cbTracksChange("B");
    EXPECT_FALSE(r.timer().running());
    EXPECT_EQ(r.sim->track().status, kPlaying);
    // Resume on "afspelen" starts B from its first point.
    r.sim->setTimeOption(TimeOption::Original);
    r.sim->SpeedButton4Click();
    r.tick();
    EXPECT_EQ(Rig::field(r.last(), 4), "4000.0000");
}

TEST(Simulation, ACancelledOrOvertakenLoadPlaysNothingHalf) {
    Rig r;
    r.addTrack("A", 5);
    r.addTrack("B", 5, 40.0);
    r.duringLoad = [] { return false; };  // Escape while the track loads
    r.sim->cbTracksChange("A");
    EXPECT_EQ(r.sim->points().count(), 0);
    r.sim->Trackpointsafspelen1Click();
    EXPECT_TRUE(r.boxes.empty());  // no "no points" message for a cancel
    EXPECT_FALSE(r.timer().running());

    // The user picks B and presses Start while A still loads: both wait,
    // and the next start plays B.
    r.duringLoad = [&] {
        r.sim->cbTracksChange("B");
        r.sim->Trackpointsafspelen1Click();
        return true;
    };
    r.sim->cbTracksChange("A");
    EXPECT_EQ(r.sim->trackName(), "B");
    EXPECT_FALSE(r.timer().running());
    r.duringLoad = nullptr;
    r.sim->setTimeOption(TimeOption::Original);
    r.sim->Trackpointsafspelen1Click();
    r.tick();
    EXPECT_EQ(Rig::field(r.last(), 4), "4000.0000");

    // A point added to the track while it loads: the next start loads again.
    r.duringLoad = [&] {
        r.doc.NewTrack("A");
        r.doc.AddTrackpoint("53", "5", "", "");
        return true;
    };
    r.sim->cbTracksChange("A");
    r.duringLoad = nullptr;
    r.sim->Trackpointsafspelen1Click();
    EXPECT_EQ(r.sim->track().last, 6);
}
