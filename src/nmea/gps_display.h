#pragma once
// What the page "NMEA ontvangst" shows: the "GPS info" labels and the twelve
// satellite slots. The decoders write here; widgets observe the signals.

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "core/signal.h"

namespace nmea {

constexpr int kSatSlots = 12;
// Bars stand on this base line of the "Satellieten" block, in pixels.
constexpr int kBarBaseY = 113;

struct TSats {
    std::string number = "-";  // as received, e.g. "07"
    std::int32_t signal = 2;   // signal-to-noise ratio in dB, 0-99 as received
};

struct SatBar {
    int height = 0;  // pixels
    int top = 0;     // kBarBaseY - height
};

class GpsDisplay {
public:
    // The "GPS info" block; every field starts as "-".
    std::string lbStatus = "-";
    std::string lbLengte = "-";   // longitude
    std::string lbBreedte = "-";  // latitude
    std::string lbSnelheid = "-";
    std::string lbHoogte = "-";
    std::string lbRichting = "-";
    std::string lbTijd = "-";
    std::string lbDeclination = "-";
    std::string lbSat = "-";

    // The position the labels show, as numbers for the map: degrees, south
    // and west negative. None until a sentence brings one, and again after
    // a sentence whose position is empty or unreadable.
    struct Position {
        long double latDeg = 0, lonDeg = 0;
    };
    std::optional<Position> position;

    std::array<TSats, kSatSlots> Sats;  // slot n is Sats[n - 1]
    // The slot the next satellite of a report goes into, 1-12; 0 while no
    // report has started or once the twelve slots of a report are filled,
    // so satellites beyond twelve are dropped.
    int nextSlot = 0;

    // Redraws the bars: tells the observers that Sats changed.
    void UpdateSats() { satsChanged(); }
    // Height and top of the bar of one signal value. Values outside 0-99
    // (a faulty receiver) are held to that range, so a bar never leaves the
    // block.
    static SatBar BarOf(std::int32_t signal);

    core::Signal<> infoChanged;  // after each decoded sentence
    core::Signal<> satsChanged;
};

}  // namespace nmea
