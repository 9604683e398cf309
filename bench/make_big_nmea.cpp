// Writes a large NMEA log as a receiver sends it: per fix a GGA, a GSA, two
// GSV, an RMC and a VTG sentence (about 420 bytes), one fix a second along a
// wandering path near 52 N 5 E.
// Usage: bench_make_big_nmea OUT.log POINTS

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

void put(FILE* out, const char* body) {
    unsigned sum = 0;
    for (const char* p = body; *p; ++p) sum ^= static_cast<unsigned char>(*p);
    std::fprintf(out, "$%s*%02X\r\n", body, sum);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s OUT.log POINTS\n", argv[0]);
        return 2;
    }
    FILE* out = std::fopen(argv[1], "wb");
    if (!out) return 1;
    static char buffer[1 << 20];
    std::setvbuf(out, buffer, _IOFBF, sizeof buffer);
    long points = std::atol(argv[2]);
    double lat = 52.15, lon = 5.15;
    long day = 0, second = 12 * 3600;
    char body[1024], time[64], date[64], la[64], lo[64];
    for (long i = 0; i < points; ++i) {
        double heading = std::fmod(i * 0.37, 6.283);
        lat += 0.00005 * std::cos(heading);
        lon += 0.00008 * std::sin(heading);
        if (++second == 86400) second = 0, ++day;
        std::snprintf(time, sizeof time, "%02d%02d%02d.00", static_cast<int>(second / 3600), static_cast<int>(second / 60 % 60), static_cast<int>(second % 60));
        std::snprintf(date, sizeof date, "%02d0308", static_cast<int>(1 + day % 28));
        std::snprintf(la, sizeof la, "%02d%07.4f", static_cast<int>(lat), (lat - static_cast<int>(lat)) * 60);
        std::snprintf(lo, sizeof lo, "%03d%07.4f", static_cast<int>(lon), (lon - static_cast<int>(lon)) * 60);
        double altitude = 10 + 5 * std::sin(i / 300.0);
        std::snprintf(body, sizeof body, "GPGGA,%s,%s,N,%s,E,1,08,0.9,%.1f,M,46.9,M,,", time, la, lo, altitude);
        put(out, body);
        put(out, "GPGSA,A,3,04,05,09,12,24,25,29,31,,,,,1.8,0.9,1.5");
        put(out, "GPGSV,2,1,08,04,45,140,42,05,30,070,40,09,12,300,35,12,65,210,45");
        put(out, "GPGSV,2,2,08,24,20,040,38,25,55,300,44,29,10,180,30,31,35,250,41");
        std::snprintf(body, sizeof body, "GPRMC,%s,A,%s,N,%s,E,%.1f,%.1f,%s,0.9,W,A", time, la, lo, 3.2,
                      heading * 57.29578, date);
        put(out, body);
        std::snprintf(body, sizeof body, "GPVTG,%.1f,T,,M,3.2,N,5.9,K,A", heading * 57.29578);
        put(out, body);
    }
    return std::fclose(out) == 0 ? 0 : 1;
}
