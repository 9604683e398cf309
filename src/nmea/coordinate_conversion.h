#pragma once
// "Graden omrekenen" on the "Conversie" page: one coordinate in three
// notations — decimal degrees, degrees-minutes-seconds with a direction
// letter, and degrees with decimal minutes — converted into each other as
// the five arrow buttons do. A calculator: the document is not touched.
// Field texts use the user's decimal separator.

#include <string>

namespace nmea {

enum class Axis { Latitude, Longitude };

struct CoordinateFields {
    std::string decimal;                                   // Edit5 / Edit4
    std::string degrees, minutes, seconds, direction;      // Edit9..13 / Edit6..8, Edit12
    std::string dmDegrees, dmMinutes;                      // Edit14, Edit15 / Edit16, Edit17
};

// Each returns "" when done, else the error that ended it (a field that is
// no whole number); fields written before the error keep their new texts.
std::string SpeedButton9(CoordinateFields& f, Axis axis, char separator);   // decimal -> both others
std::string SpeedButton10(CoordinateFields& f, Axis axis, char separator);  // d-m-s -> decimal
std::string SpeedButton11(CoordinateFields& f, Axis axis, char separator);  // decimal minutes -> decimal
std::string SpeedButton12(CoordinateFields& f, Axis axis, char separator);  // d-m-s -> decimal minutes
std::string SpeedButton13(CoordinateFields& f, Axis axis, char separator);  // decimal minutes -> d-m-s

}  // namespace nmea
