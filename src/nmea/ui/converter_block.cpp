#include "nmea/ui/converter_block.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace nmea::ui {

namespace {

QLineEdit* field(QWidget* parent, const char* name, int width) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(name);
    e->setMaximumWidth(width);
    return e;
}

}  // namespace

ConverterBlock::ConverterBlock(char separator, std::function<void(const std::string&)> error, QWidget* parent)
    : QGroupBox("Conversion of Degree formats", parent), separator_(separator), error_(std::move(error)) {
    setObjectName("GroupBox2");
    auto* grid = new QGridLayout(this);
    auto caption = [this](const char* text, const char* name) {
        auto* label = new QLabel(text, this);
        label->setObjectName(name);
        return label;
    };
    grid->addWidget(caption("Degrees (decimal)", "gbDecimal"), 0, 1);
    grid->addWidget(caption("Degrees, Minutes, Sec, Heading", "gbDms"), 0, 3, 1, 4);
    grid->addWidget(caption("Degrees, Minutes.m", "gbDecimalMinutes"), 0, 8, 1, 2);
    const char* names[2][7] = {{"Edit5", "Edit9", "Edit10", "Edit11", "Edit13", "Edit14", "Edit15"},
                               {"Edit4", "Edit6", "Edit7", "Edit8", "Edit12", "Edit16", "Edit17"}};
    const char* captions[2] = {"Latitude:", "Longitude:"};
    const char* captionNames[2] = {"lbConversionLatitude", "lbConversionLongitude"};
    for (int r = 0; r < 2; ++r) {
        Row& row = rows_[static_cast<size_t>(r)];
        row.axis = r == 0 ? Axis::Latitude : Axis::Longitude;
        grid->addWidget(caption(captions[r], captionNames[r]), r + 1, 0);
        row.decimal = field(this, names[r][0], 110);
        row.degrees = field(this, names[r][1], 40);
        row.minutes = field(this, names[r][2], 40);
        row.seconds = field(this, names[r][3], 60);
        row.direction = field(this, names[r][4], 30);
        row.dmDegrees = field(this, names[r][5], 40);
        row.dmMinutes = field(this, names[r][6], 80);
        grid->addWidget(row.decimal, r + 1, 1);
        grid->addWidget(row.degrees, r + 1, 3);
        grid->addWidget(row.minutes, r + 1, 4);
        grid->addWidget(row.seconds, r + 1, 5);
        grid->addWidget(row.direction, r + 1, 6);
        grid->addWidget(row.dmDegrees, r + 1, 8);
        grid->addWidget(row.dmMinutes, r + 1, 9);
    }
    struct Button {
        const char* name;
        const char* caption;
        Conversion conversion;
        int row, column;
    } buttons[] = {
        {"SpeedButton9", "\u2192", SpeedButton9, 3, 2},   {"SpeedButton10", "\u2190", SpeedButton10, 4, 2},
        {"SpeedButton12", "\u2192", SpeedButton12, 3, 7}, {"SpeedButton13", "\u2190", SpeedButton13, 4, 7},
        {"SpeedButton11", "\u2190\u2190", SpeedButton11, 4, 8},
    };
    for (const Button& b : buttons) {
        auto* button = new QPushButton(QString::fromUtf8(b.caption), this);
        button->setObjectName(b.name);
        Conversion conversion = b.conversion;
        connect(button, &QPushButton::clicked, this, [this, conversion] { convert(conversion); });
        grid->addWidget(button, b.row, b.column);
    }
    send_ = new QPushButton("Transmit as RMC message", this);
    send_->setObjectName("Button4");
    send_->setEnabled(false);
    grid->addWidget(send_, 5, 0, 1, 3);

    rows_[0].decimal->setText("52" + QString(QChar(separator_)) + "15");
    rows_[1].decimal->setText("5" + QString(QChar(separator_)) + "15");
    convert(SpeedButton9);
}

std::string ConverterBlock::decimalLatitude() const { return rows_[0].decimal->text().toStdString(); }
std::string ConverterBlock::decimalLongitude() const { return rows_[1].decimal->text().toStdString(); }

CoordinateFields ConverterBlock::read(const Row& row) {
    return {row.decimal->text().toStdString(),   row.degrees->text().toStdString(),
            row.minutes->text().toStdString(),   row.seconds->text().toStdString(),
            row.direction->text().toStdString(), row.dmDegrees->text().toStdString(),
            row.dmMinutes->text().toStdString()};
}

void ConverterBlock::show(const Row& row, const CoordinateFields& f) {
    row.decimal->setText(QString::fromStdString(f.decimal));
    row.degrees->setText(QString::fromStdString(f.degrees));
    row.minutes->setText(QString::fromStdString(f.minutes));
    row.seconds->setText(QString::fromStdString(f.seconds));
    row.direction->setText(QString::fromStdString(f.direction));
    row.dmDegrees->setText(QString::fromStdString(f.dmDegrees));
    row.dmMinutes->setText(QString::fromStdString(f.dmMinutes));
}

void ConverterBlock::convert(Conversion conversion) {
    for (const Row& row : rows_) {
        CoordinateFields f = read(row);
        std::string error = conversion(f, row.axis, separator_);
        show(row, f);  // what was converted before an error keeps its new text
        if (!error.empty()) {
            if (error_) error_(error);
            return;
        }
    }
}

}  // namespace nmea::ui
