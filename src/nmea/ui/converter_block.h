#pragma once
// "Graden omrekenen" on the "Conversie" page: the two coordinates in three
// notations and the five arrow buttons. The rules are in
// nmea/coordinate_conversion; this block only shows and forwards.

#include <QGroupBox>
#include <array>
#include <functional>

#include "nmea/coordinate_conversion.h"

class QLineEdit;
class QPushButton;

namespace nmea::ui {

class ConverterBlock : public QGroupBox {
public:
    // `separator` is the user's decimal separator; `error` shows a message box.
    ConverterBlock(char separator, std::function<void(const std::string&)> error, QWidget* parent = nullptr);

    // Button4 "Zend als RMC bericht": the simulation brings the sending.
    QPushButton* sendButton() const { return send_; }
    // The decimal degrees fields (Edit5, Edit4) as they stand.
    std::string decimalLatitude() const;
    std::string decimalLongitude() const;

private:
    struct Row {
        QLineEdit *decimal, *degrees, *minutes, *seconds, *direction, *dmDegrees, *dmMinutes;
        Axis axis;
    };
    using Conversion = std::string (*)(CoordinateFields&, Axis, char);
    void convert(Conversion conversion);
    static CoordinateFields read(const Row& row);
    static void show(const Row& row, const CoordinateFields& f);

    char separator_;
    std::function<void(const std::string&)> error_;
    std::array<Row, 2> rows_{};
    QPushButton* send_ = nullptr;
};

}  // namespace nmea::ui
