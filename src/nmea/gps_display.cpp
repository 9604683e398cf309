#include "nmea/gps_display.h"

#include <algorithm>

namespace nmea {

SatBar GpsDisplay::BarOf(std::int32_t signal) {
    int s = std::clamp<std::int32_t>(signal, 0, 99);
    int height = (s + 1) * 97 / 100;
    return {height, kBarBaseY - height};
}

}  // namespace nmea
