#include "core/ui/point_editor.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QPushButton>
#include <QSlider>
#include <QToolButton>
#include <QVBoxLayout>

namespace core::ui {

namespace {

struct FieldInfo {
    PointField field;
    const char* edit;
    const char* caption;
    const char* box;
    const char* label;
};
constexpr std::array<FieldInfo, 8> kFields = {{
    {PointField::Lat, "Edit2", "Latitude:", "CheckBox3", "lbLatitude"},
    {PointField::Lon, "Edit3", "Longitude:", "CheckBox4", "lbLongitude"},
    {PointField::Ele, "Edit4", "Altitude:", "CheckBox5", "lbAltitude"},
    {PointField::DateTime, "Edit5", "Date/time:", "CheckBox7", "lbDateTime"},
    {PointField::Name, "Edit8", "Name:", "CheckBox2", "lbName"},
    {PointField::Sym, "Edit9", "Symbol:", "CheckBox8", "lbSymbol"},
    {PointField::Cmt, "Edit10", "Comment:", "CheckBox6", "lbComment"},
    {PointField::Desc, "Edit11", "Description:", "CheckBox9", "lbDescription"},
}};

// One slider symbol as a small pictogram of our own.
void drawSymbol(QPainter& p, const QRectF& r, unsigned short number) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    QPointF c = r.center();
    double u = r.width() / 16.0;
    auto at = [&](double x, double y) { return QPointF(r.left() + x * u, r.top() + y * u); };
    QPen pen(QColor(30, 30, 30), std::max(1.0, u));
    p.setPen(pen);
    switch (number) {
    case 178:  // flag
        p.drawLine(at(4, 2), at(4, 14));
        p.setBrush(QColor(40, 90, 220));
        p.drawPolygon(QPolygonF({at(4, 2), at(13, 4.5), at(4, 7)}));
        break;
    case 10:  // residence: a house
    case 173:  // lodging: a house with a bed line
        p.setBrush(number == 10 ? QColor(200, 60, 40) : QColor(120, 80, 160));
        p.drawPolygon(QPolygonF({at(2, 8), at(8, 2), at(14, 8)}));
        p.setBrush(QColor(240, 230, 200));
        p.drawRect(QRectF(at(4, 8), at(12, 14)));
        if (number == 173) p.drawLine(at(5, 12), at(11, 12));
        break;
    case 170:  // car
        p.setBrush(QColor(200, 40, 40));
        p.drawRoundedRect(QRectF(at(2, 6), at(14, 11)), u, u);
        p.setBrush(Qt::black);
        p.drawEllipse(at(5, 12), 1.5 * u, 1.5 * u);
        p.drawEllipse(at(11, 12), 1.5 * u, 1.5 * u);
        break;
    case 151:  // campground: a tent
        p.setBrush(QColor(60, 140, 60));
        p.drawPolygon(QPolygonF({at(2, 14), at(8, 3), at(14, 14)}));
        break;
    case 18:  // waypoint: a dot in a ring
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(c, 5 * u, 5 * u);
        p.setBrush(Qt::black);
        p.drawEllipse(c, 1.5 * u, 1.5 * u);
        break;
    case 0:  // anchor
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(at(8, 3), 1.5 * u, 1.5 * u);
        p.drawLine(at(8, 4.5), at(8, 14));
        p.drawLine(at(5, 7), at(11, 7));
        p.drawArc(QRectF(at(3, 6), at(13, 14)), 180 * 16, 180 * 16);
        break;
    case 156:  // medical: a red cross
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(210, 30, 30));
        p.drawRect(QRectF(at(6, 2), at(10, 14)));
        p.drawRect(QRectF(at(2, 6), at(14, 10)));
        break;
    case 157:  // information
        p.setBrush(QColor(40, 90, 220));
        p.drawEllipse(c, 6 * u, 6 * u);
        p.setPen(QPen(Qt::white, 2 * u));
        p.drawLine(at(8, 7), at(8, 12));
        p.drawPoint(at(8, 4.5));
        break;
    case 14:  // skull and crossbones: a warning cross
        p.setPen(QPen(Qt::black, 2 * u));
        p.drawLine(at(3, 3), at(13, 13));
        p.drawLine(at(13, 3), at(3, 13));
        break;
    case 159:  // park: a tree
    case 160:  // picnic: a tree with a table
        p.setBrush(QColor(40, 150, 40));
        p.drawEllipse(at(8, 6), 4.5 * u, 4.5 * u);
        p.drawLine(at(8, 10), at(8, 14));
        if (number == 160) p.drawLine(at(3, 14), at(13, 14));
        break;
    case 8:  // gas station: a pump
        p.setBrush(QColor(230, 160, 30));
        p.drawRect(QRectF(at(4, 3), at(10, 14)));
        p.drawLine(at(10, 6), at(13, 8));
        p.drawLine(at(13, 8), at(13, 12));
        break;
    case 155:  // telephone: a handset
        p.setPen(QPen(Qt::black, 2.5 * u, Qt::SolidLine, Qt::RoundCap));
        p.drawArc(QRectF(at(3, 3), at(13, 13)), 200 * 16, 140 * 16);
        break;
    default: {
        // The others as a coloured tile with their number's last digits.
        static const QColor colours[] = {QColor(90, 120, 200), QColor(60, 160, 120), QColor(200, 120, 50),
                                         QColor(150, 80, 170), QColor(80, 150, 190), QColor(180, 70, 90)};
        p.setBrush(colours[number % 6]);
        p.drawRoundedRect(r.adjusted(u, u, -u, -u), 2 * u, 2 * u);
        QFont f = p.font();
        f.setPixelSize(std::max(6, static_cast<int>(5.5 * u)));
        p.setFont(f);
        p.setPen(Qt::white);
        p.drawText(r, Qt::AlignCenter, QString::number(number % 1000));
        break;
    }
    }
    p.restore();
}

}  // namespace

QPixmap PointEditor::sliderPicture(int cell) {
    QPixmap pm(cell * static_cast<int>(kSliderSymbols.size()), cell);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    for (size_t i = 0; i < kSliderSymbols.size(); ++i)
        drawSymbol(p, QRectF(static_cast<double>(i) * cell, 0, cell, cell), kSliderSymbols[i]);
    return pm;
}

PointEditor::PointEditor(QWidget* parent) : QDialog(parent) {
    setObjectName("TPointEditor");
    setWindowTitle("Point editor");
    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    layout->addLayout(grid);
    int row = 0;
    for (const FieldInfo& info : kFields) {
        auto* label = new QLabel(info.caption, this);
        label->setObjectName(info.label);
        auto* edit = new QLineEdit(this);
        edit->setObjectName(info.edit);
        label->setBuddy(edit);
        auto* check = new QCheckBox(this);
        check->setObjectName(info.box);
        edits_[static_cast<size_t>(info.field)] = edit;
        boxes_[static_cast<size_t>(info.field)] = check;
        grid->addWidget(check, row, 0);
        grid->addWidget(label, row, 1);
        grid->addWidget(edit, row, 2, 1, 3);
        ++row;
        if (info.field == PointField::DateTime) {
            // The date and time of the date-time, and the button that joins them.
            date_ = new QLineEdit(this);
            date_->setObjectName("Edit6");
            time_ = new QLineEdit(this);
            time_->setObjectName("Edit7");
            auto* join = new QToolButton(this);
            join->setObjectName("SpeedButton1");
            join->setText("^");
            join->setToolTip("Date/time from date and time");
            auto* dateLabel = new QLabel("Date:", this);
            dateLabel->setObjectName("lbDate");
            auto* timeLabel = new QLabel("Time:", this);
            timeLabel->setObjectName("lbTime");
            auto* dateRow = new QHBoxLayout;
            dateRow->addWidget(date_, 1);
            dateRow->addWidget(timeLabel);
            dateRow->addWidget(time_, 1);
            dateRow->addWidget(join);
            grid->addWidget(dateLabel, row, 1);
            grid->addLayout(dateRow, row, 2, 1, 3);
            ++row;
            connect(join, &QToolButton::clicked, this, [this] { joinDateTime(); });
        }
        if (info.field == PointField::Sym) {
            edit->setReadOnly(true);
            symbols_ = new QComboBox(this);
            symbols_->setObjectName("cbSymbols");
            grid->addWidget(symbols_, row, 2, 1, 3);
            ++row;
            auto* picture = new QLabel(this);
            picture->setObjectName("Image1");
            picture->setPixmap(sliderPicture(16));
            grid->addWidget(picture, row, 2, 1, 3);
            ++row;
            slider_ = new QSlider(Qt::Horizontal, this);
            slider_->setObjectName("TrackBar1");
            slider_->setRange(1, static_cast<int>(kSliderSymbols.size()));
            slider_->setFixedWidth(16 * static_cast<int>(kSliderSymbols.size()));
            grid->addWidget(new QLabel("Geko:", this), row, 1);
            grid->addWidget(slider_, row, 2, 1, 3);
            ++row;
            connect(symbols_, &QComboBox::textActivated, this, [this](const QString& n) { symbolChosen(n); });
            connect(slider_, &QSlider::valueChanged, this, [this](int p) { sliderMoved(p); });
        }
    }
    for (const FieldInfo& info : kFields) {
        PointField f = info.field;
        connect(field(f), &QLineEdit::textChanged, this, [this, f](const QString& text) {
            if (loading_) return;
            if (f == PointField::DateTime) dateTimeEdited(text);
            box(f)->setChecked(true);
        });
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName("btOK");
    buttons->button(QDialogButtonBox::Cancel)->setObjectName("btCancel");
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

void PointEditor::load(const PointEditModel& model) {
    loading_ = true;
    table_ = model.symbols;
    locale_ = model.locale;
    symbols_->clear();
    if (table_)
        for (const std::string& name : table_->names()) symbols_->addItem(QString::fromStdString(name));
    for (const FieldInfo& info : kFields) {
        field(info.field)->setText(QString::fromStdString(model.field(info.field)));
        box(info.field)->setChecked(false);
        box(info.field)->setVisible(model.multi);
    }
    date_->clear();
    time_->clear();
    if (locale_) {
        if (auto split = SplitDateTime(model.field(PointField::DateTime), *locale_)) {
            date_->setText(QString::fromStdString(split->date));
            time_->setText(QString::fromStdString(split->time));
        }
    }
    setSymbolName(model.field(PointField::Sym));
    loading_ = false;
}

void PointEditor::store(PointEditModel& model) const {
    for (const FieldInfo& info : kFields) {
        model.field(info.field) = field(info.field)->text().toStdString();
        model.check(info.field, box(info.field)->isChecked());
    }
}

void PointEditor::setSymbolName(const std::string& name) {
    std::string shown = name;
    if (table_) {
        if (auto number = table_->numberOf(name)) {
            shown = table_->NumToSym(std::to_string(*number));
            QSignalBlocker block(slider_);
            slider_->setValue(SliderPosition(*number));
        }
    }
    field(PointField::Sym)->setText(QString::fromStdString(shown));
    symbols_->setCurrentIndex(symbols_->findText(QString::fromStdString(shown)));
}

void PointEditor::symbolChosen(const QString& name) { setSymbolName(name.toStdString()); }

void PointEditor::sliderMoved(int position) {
    if (loading_ || !table_) return;
    std::string name = SymbolNameOfNumber(*table_, SliderSymbol(position));
    field(PointField::Sym)->setText(QString::fromStdString(name));
    symbols_->setCurrentIndex(symbols_->findText(QString::fromStdString(name)));
}

void PointEditor::dateTimeEdited(const QString& text) {
    date_->clear();
    time_->clear();
    if (!locale_) return;
    if (auto split = SplitDateTime(text.toStdString(), *locale_)) {
        date_->setText(QString::fromStdString(split->date));
        time_->setText(QString::fromStdString(split->time));
    }
}

void PointEditor::joinDateTime() {
    if (!locale_) return;
    if (auto serial = JoinDateTime(date_->text().toStdString(), time_->text().toStdString(), *locale_)) {
        QSignalBlocker block(field(PointField::DateTime));
        field(PointField::DateTime)->setText(QString::fromStdString(*serial));
    }
    box(PointField::DateTime)->setChecked(true);
}

bool PointEditor::run(host::DialogModel& dialog, QWidget* parent, const std::function<void(QWidget*)>& setup) {
    auto* model = dynamic_cast<PointEditModel*>(&dialog);
    if (!model) return false;
    // One dialog, reused: it keeps nothing between uses but its last texts.
    static QPointer<PointEditor> editor;
    if (!editor || editor->parent() != parent) {
        delete editor;
        editor = new PointEditor(parent);
    }
    editor->load(*model);
    if (setup) setup(editor);
    if (editor->exec() != QDialog::Accepted) return false;
    editor->store(*model);
    return true;
}

}  // namespace core::ui
