#pragma once
// Building "$GPRMC" sentences from positions given as texts: the sentence a
// simulated receiver sends, and the position panel of the simulation page
// that shows how far and in which direction the position moved.
//
// Sentence shape (status always "A", variation always "0.9,W", mode "A"):
//   $GPRMC,123456,A,5209.0000,N,00509.0000,E,0.0,4.0,080308,0.9,W,A*02
//          time     lat         lon          spd course date
// The builder keeps the previous position (0, 0 at first) and the previous
// course text, so a repeated position repeats the course.
//
// Known gap: minutes are cut to four decimals, not rounded, so a position is
// off by up to 0.0001' (about 19 cm) towards the degree.

#include <optional>
#include <string>
#include <string_view>

namespace nmea {

// The position panel of the page "NMEA simuleren".
struct RmcPanel {
    std::string Edit18;  // latitude text
    std::string Edit19;  // longitude text
    std::string Edit20;  // course text
    std::string Edit21;  // change in latitude
    std::string Edit22;  // change in longitude
    std::string Edit23;  // distance moved, "12 m"
    int compassDeg = 0;  // the compass needle, whole degrees
};

struct RmcResult {
    bool ok = false;
    std::string sentence;  // without line end
    std::string error;     // when !ok: why nothing was built
    bool moved = false;    // the position differed from the previous one
    RmcPanel panel;        // the whole panel after this sentence
};

// A coordinate field as it goes into the sentence: "5209.0000".
struct RmcCoordinateField {
    char text[16];
    size_t size = 0;
    std::string_view view() const { return {text, size}; }
};

class RmcBuilder {
public:
    // Builds one sentence. lon and lat are decimal degrees ("5.15", "-4,5");
    // date "dd-mm-yyyy", time "hh:mm:ss", both may be empty; speed in knots.
    // A coordinate that is no number builds nothing and changes nothing.
    RmcResult MaakRMC(std::string_view lon, std::string_view lat, std::string_view date, std::string_view time,
                      std::string_view speed);
    // The same for numbers, as if each came as its FloatToStrGeneral text
    // (knots for the speed), without writing and reading back those texts.
    RmcResult MaakRMC(long double lon, long double lat, std::string_view date, std::string_view time,
                      long double knots);
    // The same into a result of the caller's, whose texts keep their
    // storage from one sentence to the next.
    void MaakRMC(long double lon, long double lat, std::string_view date, std::string_view time, long double knots,
                 RmcResult& into);

    // The separator of the changes shown in Edit21 and Edit22.
    void setDecimalSeparator(char separator) { separator_ = separator; }
    // Without a page to show it (the command line), the panel's texts and
    // the distance are not worked out; the sentence is the same.
    void setPanelShown(bool shown) { panelShown_ = shown; }
    const RmcPanel& panel() const { return panel_; }
    long double previousLat() const { return prevLat_; }
    long double previousLon() const { return prevLon_; }
    const std::string& previousCourse() const { return prevCourse_; }
    // Back to the state at program start.
    void reset() { *this = RmcBuilder(); }

private:
    // A coordinate's text and, when the caller knows it, the number it reads as.
    struct Degrees {
        std::string_view text;
        std::optional<long double> value;
    };
    void build(Degrees lon, Degrees lat, std::string_view date, std::string_view time, std::string_view speed,
               RmcResult& r);
    // The two coordinate fields, with the numbers they stand for.
    struct Fields {
        RmcCoordinateField lat, lon;
        char ns = 'N', ew = 'E';
        long double latValue = 0, lonValue = 0;
    };
    // The sentence from checked fields; the texts only for the panel.
    void assemble(const Fields& fields, std::string_view latText, std::string_view lonText, std::string_view date,
                  std::string_view time, std::string_view speed, RmcResult& r);

    long double prevLat_ = 0, prevLon_ = 0;
    std::string prevCourse_;
    RmcPanel panel_;
    char separator_ = '.';
    bool panelShown_ = true;
};

// The pieces, each with its own rule.
// "52.15" -> "5209.0000" with hemisphere 'N'; none when the text is no number.
bool RmcLatitudeField(std::string_view lat, std::string& field, char& hemisphere);
// "-123.25" -> "12315.0000" with hemisphere 'W'.
bool RmcLongitudeField(std::string_view lon, std::string& field, char& hemisphere);
// "08-03-2008" -> "080308"; "" -> "000".
std::string RmcDateField(std::string_view date);
// "12:34:56" -> "123456"; "" -> "000".
std::string RmcTimeField(std::string_view time);
// A course in degrees -> "4.0", "89.6", "123.0", "360.0".
std::string RmcCourseText(long double courseDeg);
// "$GPRMC,...,A*" + two upper-case hexadecimal digits of the checksum.
std::string WithNmeaChecksum(std::string body);

}  // namespace nmea
